#include "skin/hooks/inlinehook.h"

#include <string.h>

#include <map>
#include <vector>

#include "skin/core/skinlock.h"
#include "skin/hooks/x86copy.h"

namespace {

const BYTE OpJump = 0xE9;
const int JumpSize = 5;
const int MinPrologue = JumpSize;
const int MaxPrologue = 26;  // room for the jump back and the length byte

LONG Rel32(const BYTE* p)
{
    LONG v;
    memcpy(&v, p, 4);
    return v;
}

bool IsSegmentPrefix(BYTE b)
{
    return b == 0x26 || b == 0x2E || b == 0x36 || b == 0x3E || b == 0x64 || b == 0x65;
}

// Measuring stops after a jump, a loop, a return or a jump through memory:
// what follows need not belong to the function.
bool EndsPrologue(const BYTE* p)
{
    if (IsSegmentPrefix(p[0]))
        ++p;
    return p[0] == 0xE9 || p[0] == 0xE0 || p[0] == 0xC2 || p[0] == 0xC3 || (p[0] == 0xFF && p[1] == 0x25);
}

} // namespace

int InlineHook_MeasurePrologue(const BYTE* target)
{
    if (!target)
        return 0;
    const BYTE* p = target;
    while (p - target < MinPrologue) {
        const BYTE* next = CopyInstruction(NULL, p, NULL);
        if (!next)
            return 0;
        const bool last = EndsPrologue(p);
        p = next;
        if (last)
            break;
    }
    return (int)(p - target);
}

#if defined(__i386__)

namespace {

// The trampolines' bytes as they were before their hooks, so that removal
// gives each back its first shape and it can be installed again.
CSkinLock s_lock;
std::map<BYTE*, std::vector<BYTE> > s_originals;

// Follows an import stub (jmp [slot]) and, when asked, a leading jump.
BYTE* Resolve(void* address, bool followJump)
{
    BYTE* code = (BYTE*)address;
    if (code && code[0] == 0xFF && code[1] == 0x25) {
        BYTE** slot;
        memcpy(&slot, code + 2, sizeof(slot));
        code = *slot;
    }
    if (followJump && code && code[0] == OpJump)
        code = code + JumpSize + Rel32(code + 1);
    return code;
}

// An installed trampoline may itself start with a jump (the first
// instruction it took over), which must not be followed as a thunk.
BYTE* ResolveTrampoline(void* address)
{
    {
        CSkinLockScope scope(s_lock);
        if (s_originals.count((BYTE*)address))
            return (BYTE*)address;
    }
    return Resolve(address, true);
}

// A jump to "to" that will sit at "at", written into buffer.
void PutJump(BYTE* buffer, const BYTE* at, const BYTE* to)
{
    const LONG rel = (LONG)(to - (at + JumpSize));
    buffer[0] = OpJump;
    memcpy(buffer + 1, &rel, 4);
}

// Makes code writable for the life of the object.
class CWritableCode
{
public:
    CWritableCode(BYTE* code, SIZE_T size) : m_code(code), m_size(size), m_old(0)
    {
        FlushInstructionCache(GetCurrentProcess(), code, size);
        m_ok = VirtualProtect(code, size, PAGE_EXECUTE_READWRITE, &m_old) != FALSE;
    }
    ~CWritableCode() { FlushInstructionCache(GetCurrentProcess(), m_code, m_size); }
    bool Ok() const { return m_ok; }
    void Restore()
    {
        DWORD ignored;
        FlushInstructionCache(GetCurrentProcess(), m_code, m_size);
        if (m_ok)
            VirtualProtect(m_code, m_size, m_old, &ignored);
    }

private:
    BYTE* m_code;
    SIZE_T m_size;
    DWORD m_old;
    bool m_ok;
};

// Moves the n bytes of whole instructions at source to destination,
// re-based for it, into buffer; false when one cannot be moved.
bool Relocate(BYTE* buffer, BYTE* destination, const BYTE* source, int n)
{
    const BYTE* src = source;
    while (src < source + n) {
        const int at = (int)(src - source);
        const BYTE* next = CopyInstructionFor(buffer + at, destination + at, src, NULL);
        if (!next)
            return false;
        src = next;
    }
    return src == source + n;
}

BOOL FailWith(DWORD error)
{
    SetLastError(error);
    return FALSE;
}

} // namespace

BOOL InlineHook_Install(void* trampoline, void* replacement)
{
    BYTE* tramp = Resolve(trampoline, true);
    BYTE* repl = Resolve(replacement, false);
    if (!tramp || !repl || tramp[0] != 0x90 || tramp[1] != 0x90 || tramp[2] != 0xE8 || tramp[7] != 0xFF
        || tramp[8] != 0xE0)
        return FALSE;
    typedef BYTE* (*Getter)();
    const Getter getter = (Getter)(tramp + 7 + Rel32(tramp + 3));
    BYTE* target = Resolve(getter(), false);
    const int n = InlineHook_MeasurePrologue(target);
    if (n < MinPrologue || n > MaxPrologue)
        return FALSE;

    // Everything is prepared before a byte is written, so a prologue that
    // cannot be moved leaves both places as they were.
    BYTE moved[SkinTrampolineSize];
    memcpy(moved, tramp, sizeof(moved));
    if (!Relocate(moved, tramp, target, n))
        return FALSE;
    PutJump(moved + n, tramp + n, target + n);
    moved[SkinTrampolineSize - 1] = (BYTE)n;

    CWritableCode trampCode(tramp, SkinTrampolineSize);
    CWritableCode targetCode(target, n);
    if (!trampCode.Ok() || !targetCode.Ok()) {
        targetCode.Restore();
        return FALSE;
    }
    {
        CSkinLockScope scope(s_lock);
        s_originals[tramp].assign(tramp, tramp + SkinTrampolineSize);
    }
    memcpy(tramp, moved, sizeof(moved));
    BYTE jump[MaxPrologue];
    PutJump(jump, target, repl);
    memset(jump + JumpSize, 0xCC, n - JumpSize);
    memcpy(target, jump, n);
    targetCode.Restore();
    return TRUE;
}

BOOL InlineHook_Remove(void* trampoline, void* replacement)
{
    BYTE* tramp = ResolveTrampoline(trampoline);
    BYTE* repl = Resolve(replacement, false);
    if (!tramp)
        return FailWith(ERROR_INVALID_HANDLE);
    const int n = tramp[SkinTrampolineSize - 1];
    if (n <= 0 || n >= SkinTrampolineSize - 1 || tramp[n] != OpJump)
        return FailWith(ERROR_INVALID_HANDLE);
    BYTE* target = tramp + n + JumpSize + Rel32(tramp + n + 1) - n;
    if (target[0] != OpJump)
        return FailWith(ERROR_INVALID_BLOCK);
    if (target + JumpSize + Rel32(target + 1) != repl)
        return FailWith(ERROR_INVALID_ACCESS);

    BYTE original[SkinTrampolineSize];
    if (!Relocate(original, target, tramp, n))
        return FailWith(ERROR_INVALID_DATA);
    CWritableCode targetCode(target, n);
    if (!targetCode.Ok())
        return FailWith(ERROR_INVALID_DATA);
    memcpy(target, original, n);
    targetCode.Restore();

    CSkinLockScope scope(s_lock);
    std::map<BYTE*, std::vector<BYTE> >::iterator it = s_originals.find(tramp);
    if (it != s_originals.end()) {
        memcpy(tramp, &it->second[0], SkinTrampolineSize);
        FlushInstructionCache(GetCurrentProcess(), tramp, SkinTrampolineSize);
        s_originals.erase(it);
    }
    return TRUE;
}

#else

// The x86-64 build intercepts through the import tables only.
BOOL InlineHook_Install(void*, void*)
{
    SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
}

BOOL InlineHook_Remove(void*, void*)
{
    SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
}

#endif
