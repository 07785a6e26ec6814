// The user32 interception: the mode table, the instruction mover, inline
// hooks on code of known shape (32-bit build only), both modes installed
// for real over user32 with a test override, the answers of the
// replacements, and removal giving back every byte and every import slot.

#include <gtest/gtest.h>

#include <windows.h>
#include <tlhelp32.h>
#include <string.h>

#include <string>
#include <vector>

#include "skin/core/skinlibrarystate.h"
#include "skin/core/skinmanager.h"
#include "skin/core/skinstore.h"
#include "skin/hooks/apihook.h"
#include "skin/hooks/inlinehook.h"
#include "skin/hooks/skinuser32.h"
#include "skin/hooks/x86copy.h"
#include "skin/objects/skinresourceobjects.h"

namespace {

typedef std::vector<BYTE> Bytes;

Bytes Hex(const char* text)
{
    Bytes out;
    for (const char* p = text; *p;) {
        if (*p == ' ') {
            ++p;
            continue;
        }
        out.push_back((BYTE)strtoul(std::string(p, 2).c_str(), NULL, 16));
        p += 2;
    }
    return out;
}

int Length(const char* hex, const BYTE** target = NULL)
{
    Bytes code = Hex(hex);
    code.resize(32, 0x90);
    const BYTE* next = CopyInstruction(NULL, &code[0], target);
    return next ? (int)(next - &code[0]) : -1;
}

TEST(User32Interception, TheModeFollowsTheSystemAndNothingIsInterceptedOnNT6)
{
    const int expected[] = {simNone, simNone, simNone, simImportTable, simImportTable,
                            simInline, simInline, simInline, simInline, simNone};
    for (int code = 0; code < 10; ++code)
        EXPECT_EQ(expected[code], SkinInterceptionModeForOS(code)) << code;

    // Here the system reports NT 6: the program keeps user32 as it is.
    SetSkinInterceptionModeOverride(-1);
    const BYTE before = *(const BYTE*)GetProcAddress(GetModuleHandleA("user32.dll"), "GetSysColor");
    EXPECT_FALSE(InstallSkinUser32Interception());
    EXPECT_EQ(simNone, GetSkinInterceptionMode());
    EXPECT_EQ(before, *(const BYTE*)GetProcAddress(GetModuleHandleA("user32.dll"), "GetSysColor"));
    RemoveSkinUser32Interception();
}

TEST(X86Copy, InstructionsMeasureTheirPrefixesModRmSibDisplacementsAndImmediates)
{
    struct Case
    {
        const char* code;
        int length;
    } cases[] = {
        {"8B FF", 2}, {"55", 1}, {"8B EC", 2}, {"5D", 1}, {"8D 4C 24 04", 4}, {"83 E4 F0", 3},
        {"FF 71 FC", 3}, {"81 EC 00 01 00 00", 6}, {"66 81 EC 00 01", 5}, {"C7 45 F8 01 00 00 00", 7},
        {"8B 84 24 00 01 00 00", 7}, {"8B 04 25 00 10 00 00", 7}, {"8B 44 25 10", 4},
        {"8B 05 00 10 00 00", 6}, {"F6 C1 01", 3}, {"F6 D1", 2}, {"F7 C1 01 00 00 00", 6},
        {"66 F7 C1 01 00", 5}, {"F7 D8", 2}, {"0F 1F 44 00 00", 5}, {"0F 84 00 00 00 00", 6},
        {"0F B6 45 08", 4}, {"0F 3A 0F C1 08", 5}, {"0F 38 00 C1", 4}, {"A1 00 10 00 00", 5},
        {"67 A1 00 10", 4}, {"64 A1 18 00 00 00", 6}, {"B8 FD 10 00 00", 5}, {"C2 0C 00", 3},
        {"F3 AB", 2}, {"E8 00 00 00 00", 5}, {"66 8B 04 25 00 00 00 00", 8}, {"67 8B 46 10", 4},
        {"D9 45 08", 3}, {"C8 10 00 00", 4}, {"6B C0 03", 3}, {"69 C0 00 01 00 00", 6},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.length, Length(c.code)) << c.code;

    // Branch targets: none, dynamic, or read from [disp32].
    const BYTE* target = (const BYTE*)1;
    Length("8B FF", &target);
    EXPECT_EQ(NULL, target);
    Length("C3", &target);
    EXPECT_EQ(SKIN_DYNAMIC_TARGET, target);
    Length("FF D0", &target);
    EXPECT_EQ(SKIN_DYNAMIC_TARGET, target);
    static const BYTE* volatile slot = (const BYTE*)0x12345678;
    Bytes jmp = Hex("FF 25");
    const DWORD slotAddress = (DWORD)(UINT_PTR)&slot;
    jmp.insert(jmp.end(), (const BYTE*)&slotAddress, (const BYTE*)&slotAddress + 4);
    const BYTE* next = CopyInstruction(NULL, &jmp[0], &target);
    if (sizeof(void*) == 4) {
        EXPECT_EQ((const BYTE*)0x12345678, target);
    }
    EXPECT_EQ(&jmp[0] + 6, next);

    // Nothing to decode, and opcodes that are none.
    SetLastError(0);
    EXPECT_EQ(NULL, CopyInstruction(NULL, NULL, NULL));
    EXPECT_EQ((DWORD)ERROR_INVALID_DATA, GetLastError());
    EXPECT_EQ(-1, Length("0F 04"));
    EXPECT_EQ(-1, Length("66 66 66 66 66 66 66 66 66 66 66 66 66 66 66 90"));
}

TEST(X86Copy, RelativeOperandsAreReBasedOrRefusedWhenTheyCannotReach)
{
    std::vector<BYTE> area(4096, 0x90);
    BYTE* src = &area[2000];
    // call +0x10 moved 1000 bytes back still calls the same address.
    memcpy(src, "\xE8\x10\x00\x00\x00", 5);
    BYTE* dst = &area[1000];
    const BYTE* target = NULL;
    ASSERT_EQ(src + 5, CopyInstruction(dst, src, &target));
    EXPECT_EQ(src + 5 + 0x10, target);
    LONG rel;
    memcpy(&rel, dst + 1, 4);
    EXPECT_EQ(src + 5 + 0x10, dst + 5 + rel);

    // A short jump reaches 16 bytes further but not 1000.
    memcpy(src, "\xEB\x05", 2);
    ASSERT_EQ(src + 2, CopyInstruction(&area[1984], src, NULL));
    EXPECT_EQ(0x05 + 16, area[1985]);
    area[1000] = 0x90;
    SetLastError(0);
    EXPECT_EQ(NULL, CopyInstruction(&area[1000], src, NULL));
    EXPECT_EQ((DWORD)ERROR_INVALID_DATA, GetLastError());
    EXPECT_EQ(0x90, area[1000]) << "nothing is copied when the operand cannot reach";
}

#if defined(__i386__)

// A page of hand-made code: a stdcall function of one argument answering
// x + 1, the getter of its address, and a trampoline of the right shape.
class CInlineFixture : public ::testing::Test
{
protected:
    enum { Target = 512, Getter = 64, Trampoline = 128 };

    void SetUp() override
    {
        m_page = (BYTE*)VirtualAlloc(NULL, 4096, MEM_COMMIT, PAGE_EXECUTE_READWRITE);
        memset(m_page, 0xCC, 4096);
        PutTarget("8B FF 55 8B EC 8B 45 08 40 5D C2 04 00");
        s_fixture = this;
    }
    void TearDown() override { VirtualFree(m_page, 0, MEM_RELEASE); }

    void PutTarget(const char* hex)
    {
        const Bytes code = Hex(hex);
        memset(m_page + Target, 0xCC, 64);
        memcpy(m_page + Target, &code[0], code.size());
        // mov eax, target; ret
        BYTE* g = m_page + Getter;
        g[0] = 0xB8;
        const DWORD t = (DWORD)(UINT_PTR)(m_page + Target);
        memcpy(g + 1, &t, 4);
        g[5] = 0xC3;
        BYTE* tr = m_page + Trampoline;
        memset(tr, 0x90, SkinTrampolineSize);
        tr[2] = 0xE8;
        const LONG rel = (LONG)(g - (tr + 7));
        memcpy(tr + 3, &rel, 4);
        tr[7] = 0xFF;
        tr[8] = 0xE0;
        tr[9] = 0xC3;
    }

    typedef int(WINAPI* Function)(int);
    Function TargetFn() { return (Function)(m_page + Target); }
    Function TrampolineFn() { return (Function)(m_page + Trampoline); }
    Bytes Snapshot(int offset, int size) { return Bytes(m_page + offset, m_page + offset + size); }

    static int WINAPI Replacement(int x) { return s_fixture->TrampolineFn()(x) * 100; }

    BYTE* m_page;
    static CInlineFixture* s_fixture;
};
CInlineFixture* CInlineFixture::s_fixture = NULL;

TEST_F(CInlineFixture, AHookRunsTheReplacementTheTrampolineRunsTheRealCodeAndRemovalGivesEveryByteBack)
{
    EXPECT_EQ(6, TrampolineFn()(5)) << "before installation the trampoline already reaches the target";
    const Bytes target = Snapshot(Target, 32), trampoline = Snapshot(Trampoline, 32);
    for (int round = 0; round < 2; ++round) {
        ASSERT_TRUE(InlineHook_Install(m_page + Trampoline, (void*)Replacement));
        EXPECT_EQ(0xE9, m_page[Target]);
        EXPECT_EQ(5, m_page[Trampoline + 31]);
        EXPECT_EQ(600, TargetFn()(5));
        EXPECT_EQ(6, TrampolineFn()(5));
        ASSERT_TRUE(InlineHook_Remove(m_page + Trampoline, (void*)Replacement));
        EXPECT_EQ(target, Snapshot(Target, 32));
        EXPECT_EQ(trampoline, Snapshot(Trampoline, 32));
        EXPECT_EQ(6, TargetFn()(5));
    }
}

TEST_F(CInlineFixture, ProloguesThatCannotMoveAreLeftAlone)
{
    const char* refused[] = {
        "C3",                                              // a return: 1 byte
        "55 C3",                                           // 2 bytes up to the return
        "3E 3E 3E 3E 3E 3E 3E 3E 3E 3E 3E 3E 3E 3E 3E 90", // 16 bytes are no instruction
        "EB 05 90 90 90 90 90 C3",                         // a short jump cannot reach
        "0F 04 90 90 90",                                  // not an instruction
    };
    for (const char* code : refused) {
        PutTarget(code);
        const Bytes target = Snapshot(Target, 32), trampoline = Snapshot(Trampoline, 32);
        EXPECT_FALSE(InlineHook_Install(m_page + Trampoline, (void*)Replacement)) << code;
        EXPECT_EQ(target, Snapshot(Target, 32)) << code;
        EXPECT_EQ(trampoline, Snapshot(Trampoline, 32)) << code;
    }
    // A near jump moves and keeps its destination.
    PutTarget("E9 00 00 00 00 8B FF 55 8B EC 8B 45 08 40 5D C2 04 00");
    ASSERT_TRUE(InlineHook_Install(m_page + Trampoline, (void*)Replacement));
    EXPECT_EQ(600, TargetFn()(5));
    EXPECT_TRUE(InlineHook_Remove(m_page + Trampoline, (void*)Replacement));
    EXPECT_EQ(6, TargetFn()(5));
}

TEST_F(CInlineFixture, RemovalRefusesATrampolineOrTargetItDidNotPatchLast)
{
    SetLastError(0);
    EXPECT_FALSE(InlineHook_Remove(m_page + Trampoline, (void*)Replacement));
    EXPECT_EQ((DWORD)ERROR_INVALID_HANDLE, GetLastError());

    ASSERT_TRUE(InlineHook_Install(m_page + Trampoline, (void*)Replacement));
    const Bytes ours = Snapshot(Target, 8);
    // Someone else patched the target again: their jump stays.
    BYTE* t = m_page + Target;
    const LONG elsewhere = (LONG)((m_page + 1024) - (t + 5));
    memcpy(t + 1, &elsewhere, 4);
    const Bytes theirs = Snapshot(Target, 8);
    EXPECT_FALSE(InlineHook_Remove(m_page + Trampoline, (void*)Replacement));
    EXPECT_EQ((DWORD)ERROR_INVALID_ACCESS, GetLastError());
    EXPECT_EQ(theirs, Snapshot(Target, 8));
    t[0] = 0x90;
    EXPECT_FALSE(InlineHook_Remove(m_page + Trampoline, (void*)Replacement));
    EXPECT_EQ((DWORD)ERROR_INVALID_BLOCK, GetLastError());
    memcpy(t, &ours[0], ours.size());
    EXPECT_TRUE(InlineHook_Remove(m_page + Trampoline, (void*)Replacement));
}

#endif

// A skin whose colour table answers index i with RGB(i, 100, 200).
class CInterceptionFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (int i = 0; i < 31; ++i)
            m_system[i] = GetSysColor(i);
        InstallColours(100);
    }
    void TearDown() override
    {
        RemoveSkinUser32Interception();
        SetSkinInterceptionModeOverride(-1);
        SetSkinScrollBarRoutes(NULL);
        GetSkinManager().InstallStore(new CSkinStore());
    }

    static void InstallColours(int green)
    {
        CSkinStore* store = new CSkinStore();
        CSkinSysColorTableObject* table = new CSkinSysColorTableObject();
        table->SetName("Colours");
        for (int i = 0; i < CSkinSysColorTableObject::ColourCount; ++i)
            table->m_colours[i] = RGB(i, green, 200);
        store->AddObject(table);
        ASSERT_TRUE(GetSkinManager().InstallStore(store));
    }

    static COLORREF BrushColour(HBRUSH brush)
    {
        LOGBRUSH lb = {};
        return GetObjectA(brush, sizeof(lb), &lb) == sizeof(lb) ? lb.lbColor : CLR_INVALID;
    }

    // The replacements' answers over the functions as any module calls them.
    // Both checks read the import slots afresh: the compiler takes a
    // function's address for a constant, and in one body it would call the
    // slot's value read while the interception was installed after removal
    // too (the 64-bit build keeps it in a register).
    __attribute__((noinline)) void ExpectSkinAnswers()
    {
        EXPECT_EQ(RGB(COLOR_WINDOW, 100, 200), GetSysColor(COLOR_WINDOW));
        EXPECT_EQ(RGB(0, 100, 200), GetSysColor(31)) << "an index past the table answers entry 0";
        EXPECT_EQ(RGB(COLOR_BTNFACE, 100, 200), BrushColour(GetSysColorBrush(COLOR_BTNFACE)));
        EXPECT_EQ(m_system[COLOR_WINDOW], GetSkinUser32Entries().GetSysColor(COLOR_WINDOW));
        GetSkinManager().GetStore()->SetSysColorsOff(true);
        EXPECT_EQ(m_system[COLOR_WINDOW], GetSysColor(COLOR_WINDOW));
        GetSkinManager().GetStore()->SetSysColorsOff(false);

        // Windows with the scroll-bar replacement get it; others get user32.
        HWND routed = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VSCROLL, 0, 0, 50, 50, NULL, NULL, NULL, NULL);
        HWND plain = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VSCROLL, 0, 0, 50, 50, NULL, NULL, NULL, NULL);
        s_routed = routed;
        SetSkinScrollBarRoutes(&s_routes);
        SetScrollRange(plain, SB_VERT, 0, 100, FALSE);
        SetScrollPos(plain, SB_VERT, 30, FALSE);
        EXPECT_EQ(30, GetScrollPos(plain, SB_VERT));
        EXPECT_EQ(1234, SetScrollPos(routed, SB_VERT, 30, FALSE));
        EXPECT_EQ(4321, GetScrollPos(routed, SB_VERT));
        SetSkinScrollBarRoutes(NULL);
        DestroyWindow(routed);
        DestroyWindow(plain);
    }

    __attribute__((noinline)) void ExpectSystemAnswers()
    {
        EXPECT_EQ(m_system[COLOR_WINDOW], GetSysColor(COLOR_WINDOW));
        EXPECT_EQ(m_system[COLOR_BTNFACE], BrushColour(GetSysColorBrush(COLOR_BTNFACE)));
    }

    static BOOL IsRouted(HWND hwnd) { return hwnd == s_routed; }
    static int SetPos(HWND, int, int, BOOL) { return 1234; }
    static int GetPos(HWND, int) { return 4321; }

    COLORREF m_system[31];
    static HWND s_routed;
    static const SkinScrollBarRoutes s_routes;
};
HWND CInterceptionFixture::s_routed = NULL;
const SkinScrollBarRoutes CInterceptionFixture::s_routes = {IsRouted, NULL, NULL, GetPos, NULL, NULL, SetPos,
                                                            NULL,     NULL};

// Every module's import slot of each function, with what it held.
struct SlotRecord
{
    void** slot;
    void* value;
};

std::vector<HMODULE> LoadedModules()
{
    std::vector<HMODULE> modules;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, 0);
    MODULEENTRY32 entry;
    entry.dwSize = sizeof(entry);
    for (BOOL more = Module32First(snapshot, &entry); more; more = Module32Next(snapshot, &entry))
        modules.push_back(entry.hModule);
    CloseHandle(snapshot);
    return modules;
}

const char* const s_userFunctions[] = {"EnableScrollBar", "GetScrollInfo",  "GetScrollPos",  "GetScrollRange",
                                       "SetScrollInfo",   "SetScrollPos",   "SetScrollRange", "ShowScrollBar",
                                       "GetSysColor",     "GetSysColorBrush"};
const char* const s_loaderFunctions[] = {"LoadLibraryA", "LoadLibraryW", "LoadLibraryExA", "LoadLibraryExW",
                                         "GetProcAddress"};

std::vector<SlotRecord> ImportSlots()
{
    std::vector<SlotRecord> slots;
    HMODULE user32 = GetModuleHandleA("user32.dll"), kernel32 = GetModuleHandleA("kernel32.dll");
    for (HMODULE module : LoadedModules()) {
        for (const char* name : s_userFunctions)
            if (void** slot = FindImportSlot(module, "user32.dll", (void*)GetProcAddress(user32, name)))
                slots.push_back(SlotRecord{slot, *slot});
        for (const char* name : s_loaderFunctions)
            if (void** slot = FindImportSlot(module, "kernel32.dll", (void*)GetProcAddress(kernel32, name)))
                slots.push_back(SlotRecord{slot, *slot});
    }
    return slots;
}

// Any slot anywhere that still leads to a replacement.
int SlotsHoldingReplacements()
{
    int count = 0;
    const SkinUser32Entries& r = GetSkinUser32Replacements();
    for (HMODULE module : LoadedModules())
        for (int i = 0; i < 10; ++i)
            if (FindImportSlot(module, "user32.dll", ((void* const*)&r)[i]))
                ++count;
    return count;
}

TEST_F(CInterceptionFixture, ImportTableModePatchesEveryModuleAndThoseLoadedLaterAndRemovalRestoresEverySlot)
{
    const std::vector<SlotRecord> before = ImportSlots();
    ASSERT_FALSE(before.empty());
    SetSkinInterceptionModeOverride(simImportTable);
    ASSERT_TRUE(InstallSkinUser32Interception());
    EXPECT_EQ(simImportTable, GetSkinInterceptionMode());
    ExpectSkinAnswers();

    // Looking the function up gives the replacement.
    HMODULE user32 = GetModuleHandleA("user32.dll");
    EXPECT_EQ((void*)GetSkinUser32Replacements().SetScrollPos, (void*)GetProcAddress(user32, "SetScrollPos"));
    // A module loaded now is patched as it loads.
    HMODULE late = NULL;
    for (const char* name : {"riched20.dll", "hhctrl.ocx", "comdlg32.dll"})
        if (!GetModuleHandleA(name) && (late = LoadLibraryA(name)) != NULL)
            break;
    ASSERT_TRUE(late != NULL);
    EXPECT_TRUE(FindImportSlot(late, "user32.dll", (void*)GetSkinUser32Replacements().GetSysColor) != NULL);

    RemoveSkinUser32Interception();
    EXPECT_EQ(simNone, GetSkinInterceptionMode());
    for (const SlotRecord& r : before)
        EXPECT_EQ(r.value, *r.slot);
    EXPECT_EQ(0, SlotsHoldingReplacements());
    EXPECT_NE((void*)GetSkinUser32Replacements().SetScrollPos, (void*)GetProcAddress(user32, "SetScrollPos"));
    ExpectSystemAnswers();
    FreeLibrary(late);
}

#if defined(__i386__)

// The first bytes of each user32 function and of what an import stub at
// its start leads to.
std::vector<Bytes> User32Code()
{
    std::vector<Bytes> code;
    HMODULE user32 = GetModuleHandleA("user32.dll");
    for (const char* name : s_userFunctions) {
        const BYTE* p = (const BYTE*)GetProcAddress(user32, name);
        code.push_back(Bytes(p, p + 32));
        if (p[0] == 0xFF && p[1] == 0x25) {
            const BYTE* inner = **(const BYTE* const* const*)(p + 2);
            code.push_back(Bytes(inner, inner + 32));
        }
    }
    return code;
}

TEST_F(CInterceptionFixture, InlineModePatchesUser32ItselfAndRemovalRestoresEveryByte)
{
    const std::vector<Bytes> before = User32Code();
    SetSkinInterceptionModeOverride(simInline);
    for (int round = 0; round < 2; ++round) {
        ASSERT_TRUE(InstallSkinUser32Interception());
        EXPECT_EQ(simInline, GetSkinInterceptionMode());
        EXPECT_EQ(0xE9, *(const BYTE*)GetProcAddress(GetModuleHandleA("user32.dll"), "GetSysColor"));
        ExpectSkinAnswers();
        // The real functions stay reachable through the trampolines.
        EXPECT_EQ(m_system[COLOR_BTNFACE], BrushColour(GetSkinUser32Entries().GetSysColorBrush(COLOR_BTNFACE)));
        RemoveSkinUser32Interception();
        EXPECT_EQ(before, User32Code()) << "round " << round;
        ExpectSystemAnswers();
    }
}

#endif

TEST_F(CInterceptionFixture, BrushesHandedOutStayAliveThroughSkinSwitchesUntilRemoval)
{
    SetSkinInterceptionModeOverride(simImportTable);
    ASSERT_TRUE(InstallSkinUser32Interception());
    HBRUSH first = GetSysColorBrush(COLOR_WINDOW);
    EXPECT_EQ(RGB(COLOR_WINDOW, 100, 200), BrushColour(first));
    InstallColours(50);
    EXPECT_EQ(RGB(COLOR_WINDOW, 50, 200), GetSysColor(COLOR_WINDOW));
    EXPECT_EQ(RGB(COLOR_WINDOW, 100, 200), BrushColour(first)) << "the first skin's brush is still whole";
    EXPECT_EQ(GetSysColorBrush(COLOR_WINDOW), GetSysColorBrush(COLOR_WINDOW));
    RemoveSkinUser32Interception();
    EXPECT_EQ(CLR_INVALID, BrushColour(first));
}

} // namespace
