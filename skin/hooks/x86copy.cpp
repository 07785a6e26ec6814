#include "skin/hooks/x86copy.h"

#include <string.h>

namespace {

enum Handler
{
    hInvalid = 0,
    hCopy,
    hOperandPrefix,  // 0x66: immediates and relative operands shrink to 16 bits
    hAddressPrefix,  // 0x67: 16-bit addressing
    hPrefix,         // segment, lock and repeat prefixes
    hEscape,         // 0x0F: the second table
    hGroup3,         // 0xF6, 0xF7: TEST carries an immediate
    hGroup5          // 0xFF: indirect calls and jumps
};

enum Flags
{
    fAddressSized = 1, // the address-size prefix, not the operand-size one, changes the size
    fDynamic = 2       // the branch target is known only at run time
};

// One opcode: sizes counted from the opcode byte, without and with the
// prefix that changes them, without what follows a ModR/M byte; the offsets
// of the ModR/M byte and of a relative operand (0 for none).
struct Opcode
{
    BYTE size;
    BYTE prefixedSize;
    BYTE flags;
    BYTE modrm;
    BYTE rel;
    BYTE handler;
};

struct Tables
{
    Opcode one[256];
    Opcode two[256];

    Tables()
    {
        memset(this, 0, sizeof(*this));
        // The eight arithmetic groups 00-3F: r/m forms, AL/eAX immediates.
        for (int base = 0x00; base < 0x40; base += 8) {
            for (int i = 0; i < 4; ++i)
                Rm(one, base + i, 2);
            Fixed(one, base + 4, 2);
            Imm(one, base + 5, 5, 3);
        }
        const int singles[] = {0x06, 0x07, 0x0E, 0x16, 0x17, 0x1E, 0x1F, 0x27, 0x2F, 0x37, 0x3F,
                               0x60, 0x61, 0x98, 0x99, 0x9B, 0x9C, 0x9D, 0x9E, 0x9F, 0xC9, 0xCC,
                               0xCE, 0xD6, 0xD7, 0xF1, 0xF4, 0xF5, 0xF8, 0xF9, 0xFA, 0xFB, 0xFC, 0xFD};
        for (size_t i = 0; i < sizeof(singles) / sizeof(singles[0]); ++i)
            Fixed(one, singles[i], 1);
        const int prefixes[] = {0x26, 0x2E, 0x36, 0x3E, 0x64, 0x65, 0xF0, 0xF2, 0xF3};
        for (size_t i = 0; i < sizeof(prefixes) / sizeof(prefixes[0]); ++i)
            one[prefixes[i]].handler = hPrefix;
        one[0x0F].handler = hEscape;
        one[0x66].handler = hOperandPrefix;
        one[0x67].handler = hAddressPrefix;
        Range(one, 0x40, 0x5F, 1);
        Range(one, 0x6C, 0x6F, 1);
        Range(one, 0x90, 0x97, 1);
        Range(one, 0xA4, 0xA7, 1);
        Range(one, 0xAA, 0xAF, 1);
        Range(one, 0xEC, 0xEF, 1);
        Rm(one, 0x62, 2);
        Rm(one, 0x63, 2);
        Imm(one, 0x68, 5, 3);
        RmImm(one, 0x69, 6, 4);
        Fixed(one, 0x6A, 2);
        Rm(one, 0x6B, 3);
        for (int op = 0x70; op <= 0x7F; ++op)
            Rel(one, op, 2, 2);
        Rm(one, 0x80, 3);
        RmImm(one, 0x81, 6, 4);
        Rm(one, 0x82, 3);
        Rm(one, 0x83, 3);
        for (int op = 0x84; op <= 0x8F; ++op)
            Rm(one, op, 2);
        Imm(one, 0x9A, 7, 5);
        for (int op = 0xA0; op <= 0xA3; ++op) {
            Imm(one, op, 5, 3);
            one[op].flags = fAddressSized;
        }
        Fixed(one, 0xA8, 2);
        Imm(one, 0xA9, 5, 3);
        Range(one, 0xB0, 0xB7, 2);
        for (int op = 0xB8; op <= 0xBF; ++op)
            Imm(one, op, 5, 3);
        Rm(one, 0xC0, 3);
        Rm(one, 0xC1, 3);
        Fixed(one, 0xC2, 3, fDynamic);
        Fixed(one, 0xC3, 1, fDynamic);
        Rm(one, 0xC4, 2);
        Rm(one, 0xC5, 2);
        Rm(one, 0xC6, 3);
        RmImm(one, 0xC7, 6, 4);
        Fixed(one, 0xC8, 4);
        Fixed(one, 0xCA, 3, fDynamic);
        Fixed(one, 0xCB, 1, fDynamic);
        Fixed(one, 0xCD, 2);
        Fixed(one, 0xCF, 1, fDynamic);
        for (int op = 0xD0; op <= 0xD3; ++op)
            Rm(one, op, 2);
        Fixed(one, 0xD4, 2);
        Fixed(one, 0xD5, 2);
        for (int op = 0xD8; op <= 0xDF; ++op)
            Rm(one, op, 2);
        for (int op = 0xE0; op <= 0xE3; ++op)
            Rel(one, op, 2, 2);
        Range(one, 0xE4, 0xE7, 2);
        Rel(one, 0xE8, 5, 3);
        Rel(one, 0xE9, 5, 3);
        Imm(one, 0xEA, 7, 5);
        one[0xEA].flags = fDynamic;
        Rel(one, 0xEB, 2, 2);
        Rm(one, 0xF6, 2);
        one[0xF6].handler = hGroup3;
        Rm(one, 0xF7, 2);
        one[0xF7].handler = hGroup3;
        Rm(one, 0xFE, 2);
        Rm(one, 0xFF, 2);
        one[0xFF].handler = hGroup5;

        // After 0x0F, counted from the second opcode byte.
        for (int op = 0x00; op <= 0xFF; ++op)
            Rm(two, op, 2);
        const int invalid[] = {0x04, 0x0A, 0x0C, 0x24, 0x25, 0x26, 0x27, 0x36, 0x39, 0x3B, 0x3C, 0x3D,
                               0x3E, 0x3F, 0xA6, 0xA7};
        for (size_t i = 0; i < sizeof(invalid) / sizeof(invalid[0]); ++i)
            two[invalid[i]].handler = hInvalid;
        const int twoSingles[] = {0x05, 0x06, 0x07, 0x08, 0x09, 0x0B, 0x0E, 0x30, 0x31, 0x32, 0x33,
                                  0x34, 0x35, 0x37, 0x77, 0xA0, 0xA1, 0xA2, 0xA8, 0xA9, 0xAA};
        for (size_t i = 0; i < sizeof(twoSingles) / sizeof(twoSingles[0]); ++i)
            Fixed(two, twoSingles[i], 1);
        Range(two, 0xC8, 0xCF, 1);
        const int withImm8[] = {0x0F, 0x70, 0x71, 0x72, 0x73, 0xA4, 0xAC, 0xBA, 0xC2, 0xC4, 0xC5, 0xC6};
        for (size_t i = 0; i < sizeof(withImm8) / sizeof(withImm8[0]); ++i)
            Rm(two, withImm8[i], 3);
        // Three-byte opcodes: 0F 38 op ModR/M, 0F 3A op ModR/M imm8.
        Rm(two, 0x38, 3);
        two[0x38].modrm = 2;
        Rm(two, 0x3A, 4);
        two[0x3A].modrm = 2;
        for (int op = 0x80; op <= 0x8F; ++op)
            Rel(two, op, 5, 3);
    }

    static void Fixed(Opcode* t, int op, int size, int flags = 0)
    {
        t[op].size = t[op].prefixedSize = (BYTE)size;
        t[op].flags = (BYTE)flags;
        t[op].modrm = t[op].rel = 0;
        t[op].handler = hCopy;
    }
    static void Range(Opcode* t, int first, int last, int size)
    {
        for (int op = first; op <= last; ++op)
            Fixed(t, op, size);
    }
    static void Imm(Opcode* t, int op, int size, int prefixedSize)
    {
        Fixed(t, op, size);
        t[op].prefixedSize = (BYTE)prefixedSize;
    }
    static void Rm(Opcode* t, int op, int size)
    {
        Fixed(t, op, size);
        t[op].modrm = 1;
    }
    static void RmImm(Opcode* t, int op, int size, int prefixedSize)
    {
        Imm(t, op, size, prefixedSize);
        t[op].modrm = 1;
    }
    static void Rel(Opcode* t, int op, int size, int prefixedSize)
    {
        Imm(t, op, size, prefixedSize);
        t[op].rel = 1;
    }
};

const Tables& GetTables()
{
    static const Tables tables;
    return tables;
}

// The bytes of displacement and SIB that follow a ModR/M byte.
int ModRmExtra(const BYTE* modrm, bool address16)
{
    const int mod = *modrm >> 6, rm = *modrm & 7;
    if (mod == 3)
        return 0;
    if (address16)
        return mod == 1 ? 1 : mod == 2 ? 2 : rm == 6 ? 2 : 0;
    if (rm == 4) {
        // A SIB byte; base 5 without a displacement of its own means disp32.
        const int base = modrm[1] & 7;
        return 1 + (mod == 1 ? 1 : mod == 2 ? 4 : base == 5 ? 4 : 0);
    }
    return mod == 1 ? 1 : mod == 2 ? 4 : rm == 5 ? 4 : 0;
}

LONG ReadSigned(const BYTE* p, int width)
{
    switch (width) {
    case 1: return (signed char)p[0];
    case 2: { SHORT v; memcpy(&v, p, 2); return v; }
    default: { LONG v; memcpy(&v, p, 4); return v; }
    }
}

// Writes value when it fits the width; false otherwise.
bool WriteSigned(BYTE* p, int width, LONGLONG value)
{
    if (width == 1 && (value < -128 || value > 127))
        return false;
    if (width == 2 && (value < -32768 || value > 32767))
        return false;
    if (width == 4 && (value < -(LONGLONG)0x80000000LL || value > 0x7FFFFFFFLL))
        return false;
    if (width == 1) {
        p[0] = (BYTE)(signed char)value;
    } else if (width == 2) {
        const SHORT v = (SHORT)value;
        memcpy(p, &v, 2);
    } else {
        const LONG v = (LONG)value;
        memcpy(p, &v, 4);
    }
    return true;
}

const BYTE* Fail()
{
    SetLastError(ERROR_INVALID_DATA);
    return NULL;
}

} // namespace

const BYTE* CopyInstruction(BYTE* destination, const BYTE* source, const BYTE** target)
{
    return CopyInstructionFor(destination, destination, source, target);
}

const BYTE* CopyInstructionFor(BYTE* buffer, const BYTE* destination, const BYTE* source, const BYTE** target)
{
    if (!source)
        return Fail();
    const Tables& tables = GetTables();
    const Opcode* table = tables.one;
    bool operand16 = false, address16 = false;
    const BYTE* start = source;
    const BYTE* op = source;
    // Prefixes and the escape byte are part of the instruction; 15 bytes is
    // the longest an instruction may be, a longer run of prefixes is none.
    for (;;) {
        if (op - start >= 15)
            return Fail();
        const Opcode& e = table[*op];
        if (e.handler == hOperandPrefix && table == tables.one) {
            operand16 = true;
            ++op;
        } else if (e.handler == hAddressPrefix && table == tables.one) {
            address16 = true;
            ++op;
        } else if (e.handler == hPrefix && table == tables.one) {
            ++op;
        } else if (e.handler == hEscape && table == tables.one) {
            table = tables.two;
            ++op;
        } else {
            break;
        }
    }
    const Opcode& e = table[*op];
    if (e.handler == hInvalid || e.handler == hOperandPrefix || e.handler == hAddressPrefix)
        return Fail();

    const bool prefixed = (e.flags & fAddressSized) ? address16 : operand16;
    int size = prefixed ? e.prefixedSize : e.size;
    const BYTE* branch = (e.flags & fDynamic) ? SKIN_DYNAMIC_TARGET : NULL;
    if (e.modrm) {
        const BYTE* modrm = op + e.modrm;
        size += ModRmExtra(modrm, address16);
        const int reg = (*modrm >> 3) & 7;
        if (e.handler == hGroup3 && reg == 0)
            size += *op == 0xF6 ? 1 : operand16 ? 2 : 4;
        if (e.handler == hGroup5 && reg >= 2 && reg <= 5) {
            branch = SKIN_DYNAMIC_TARGET;
            if (*modrm == 0x15 || *modrm == 0x25) {
                // The slot may be anywhere; an unreadable one leaves the
                // target unknown.
                DWORD slot, address = 0;
                memcpy(&slot, modrm + 1, 4);
                SIZE_T read = 0;
                if (ReadProcessMemory(GetCurrentProcess(), (LPCVOID)(UINT_PTR)slot, &address, sizeof(address), &read)
                    && read == sizeof(address))
                    branch = (const BYTE*)(UINT_PTR)address;
            }
        }
    }
    const int total = (int)(op - start) + size;
    if (total > 15)
        return Fail();
    const int relWidth = size - e.rel;
    LONG rel = 0;
    if (e.rel) {
        rel = ReadSigned(op + e.rel, relWidth);
        branch = start + total + rel;
    }
    if (buffer) {
        BYTE copy[16];
        memcpy(copy, start, total);
        if (e.rel) {
            const LONGLONG moved = (LONGLONG)(INT_PTR)start - (LONGLONG)(INT_PTR)destination;
            if (!WriteSigned(copy + (op - start) + e.rel, relWidth, rel + moved))
                return Fail();
        }
        memcpy(buffer, copy, total);
    }
    if (target)
        *target = branch;
    return start + total;
}
