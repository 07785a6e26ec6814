#include "skin/hooks/apihook.h"

#include <tlhelp32.h>
#include <string.h>

#include "skin/core/skinlock.h"

namespace {

CSkinLock s_lock;
ApiHook* s_hooks = NULL;
UINT_PTR s_highestAddress = 0;

// The loader entry points, read before they are intercepted.
struct LoaderEntries
{
    HMODULE kernel32;
    HMODULE(WINAPI* LoadLibraryA)(LPCSTR);
    HMODULE(WINAPI* LoadLibraryW)(LPCWSTR);
    HMODULE(WINAPI* LoadLibraryExA)(LPCSTR, HANDLE, DWORD);
    HMODULE(WINAPI* LoadLibraryExW)(LPCWSTR, HANDLE, DWORD);
    FARPROC(WINAPI* GetProcAddress)(HMODULE, LPCSTR);
};
LoaderEntries s_loader;
ApiHook* s_loaderHooks[5];

template <class Function>
void Export(Function& function, HMODULE module, LPCSTR name)
{
    function = reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

FARPROC RealGetProcAddress(HMODULE module, LPCSTR name)
{
    return s_loader.GetProcAddress ? s_loader.GetProcAddress(module, name) : ::GetProcAddress(module, name);
}

bool IsWindows9x()
{
    return (GetVersion() & 0x80000000) != 0;
}

UINT_PTR HighestApplicationAddress()
{
    if (!s_highestAddress) {
        SYSTEM_INFO info;
        GetSystemInfo(&info);
        s_highestAddress = (UINT_PTR)info.lpMaximumApplicationAddress;
    }
    return s_highestAddress;
}

// The operand of a "push imm32" at address, when it can be read there.
bool ReadPushOperand(const void* address, void** operand)
{
    BYTE code[1 + sizeof(void*)];
    SIZE_T read = 0;
    if (!ReadProcessMemory(GetCurrentProcess(), address, code, 5, &read) || read != 5 || code[0] != 0x68)
        return false;
    DWORD value;
    memcpy(&value, code + 1, 4);
    *operand = (void*)(UINT_PTR)value;
    return true;
}

// The real address behind a debug stub of Windows 9x ("push real; ...")
// that sits above the application's address space.
void* Unstub(void* address)
{
    void* operand;
    if ((UINT_PTR)address > HighestApplicationAddress() && ReadPushOperand(address, &operand))
        return operand;
    return address;
}

const IMAGE_IMPORT_DESCRIPTOR* ImportDirectory(HMODULE module)
{
    const BYTE* base = (const BYTE*)module;
    const IMAGE_DOS_HEADER* dos = (const IMAGE_DOS_HEADER*)base;
    if (!base || dos->e_magic != IMAGE_DOS_SIGNATURE)
        return NULL;
    const IMAGE_NT_HEADERS* nt = (const IMAGE_NT_HEADERS*)(base + dos->e_lfanew);
    if (nt->Signature != IMAGE_NT_SIGNATURE
        || nt->OptionalHeader.NumberOfRvaAndSizes <= IMAGE_DIRECTORY_ENTRY_IMPORT)
        return NULL;
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (!dir.VirtualAddress || !dir.Size)
        return NULL;
    return (const IMAGE_IMPORT_DESCRIPTOR*)(base + dir.VirtualAddress);
}

bool WriteSlot(void** slot, void* value)
{
    DWORD old;
    if (!VirtualProtect(slot, sizeof(void*), PAGE_READWRITE, &old))
        return false;
    SIZE_T written = 0;
    const BOOL ok = WriteProcessMemory(GetCurrentProcess(), slot, &value, sizeof(value), &written);
    VirtualProtect(slot, sizeof(void*), old, &old);
    return ok && written == sizeof(value);
}

// Applies every hook of the list to a module that has just been loaded.
void PatchLoadedModule(HMODULE module)
{
    CSkinLockScope scope(s_lock);
    for (ApiHook* hook = s_hooks; hook; hook = hook->next)
        ReplaceImportInModule(hook->module, hook->real, hook->replacement, module);
}

HMODULE WINAPI Hook_LoadLibraryA(LPCSTR name)
{
    HMODULE module = s_loader.LoadLibraryA(name);
    if (module)
        PatchLoadedModule(module);
    return module;
}

HMODULE WINAPI Hook_LoadLibraryW(LPCWSTR name)
{
    HMODULE module = s_loader.LoadLibraryW(name);
    if (module)
        PatchLoadedModule(module);
    return module;
}

HMODULE WINAPI Hook_LoadLibraryExA(LPCSTR name, HANDLE file, DWORD flags)
{
    HMODULE module = s_loader.LoadLibraryExA(name, file, flags);
    if (module && !(flags & LOAD_LIBRARY_AS_DATAFILE))
        PatchLoadedModule(module);
    return module;
}

HMODULE WINAPI Hook_LoadLibraryExW(LPCWSTR name, HANDLE file, DWORD flags)
{
    HMODULE module = s_loader.LoadLibraryExW(name, file, flags);
    if (module && !(flags & LOAD_LIBRARY_AS_DATAFILE))
        PatchLoadedModule(module);
    return module;
}

// A module that looks a hooked function up gets the replacement.
FARPROC WINAPI Hook_GetProcAddress(HMODULE module, LPCSTR name)
{
    FARPROC proc = RealGetProcAddress(module, name);
    CSkinLockScope scope(s_lock);
    for (ApiHook* hook = s_hooks; hook; hook = hook->next)
        if ((void*)proc == hook->real)
            return (FARPROC)hook->replacement;
    return proc;
}

} // namespace

void** FindImportSlot(HMODULE inModule, LPCSTR module, void* address)
{
    const IMAGE_IMPORT_DESCRIPTOR* descriptor = ImportDirectory(inModule);
    if (!descriptor)
        return NULL;
    BYTE* base = (BYTE*)inModule;
    for (; descriptor->Name; ++descriptor) {
        if (lstrcmpiA((LPCSTR)(base + descriptor->Name), module) != 0 || !descriptor->FirstThunk)
            continue;
        for (void** slot = (void**)(base + descriptor->FirstThunk); *slot; ++slot) {
            if (*slot == address)
                return slot;
            void* operand;
            if ((UINT_PTR)*slot > HighestApplicationAddress() && ReadPushOperand(*slot, &operand)
                && operand == address)
                return (void**)((BYTE*)*slot + 1);
        }
    }
    return NULL;
}

bool ReplaceImportInModule(LPCSTR module, void* current, void* replacement, HMODULE inModule)
{
    // The shared system area of Windows 9x is left alone.
    if (IsWindows9x() && (UINT_PTR)inModule > 0x80000000u)
        return false;
    void** slot = FindImportSlot(inModule, module, current);
    return slot && WriteSlot(slot, replacement);
}

void ReplaceImportInAllModules(LPCSTR module, void* current, void* replacement, BOOL excludeOwnModule)
{
    HMODULE own = NULL;
    if (excludeOwnModule)
        GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           (LPCSTR)&ReplaceImportInAllModules, &own);
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return;
    MODULEENTRY32 entry;
    entry.dwSize = sizeof(entry);
    for (BOOL more = Module32First(snapshot, &entry); more; more = Module32Next(snapshot, &entry)) {
        if (entry.hModule != own)
            ReplaceImportInModule(module, current, replacement, entry.hModule);
    }
    CloseHandle(snapshot);
}

ApiHook* ApiHook_Create(LPCSTR module, LPCSTR function, void* replacement, BOOL excludeOwnModule)
{
    HighestApplicationAddress();
    void* real = (void*)RealGetProcAddress(GetModuleHandleA(module), function);
    if (!real)
        return NULL;
    ApiHook* hook = new ApiHook();
    lstrcpynA(hook->module, module, sizeof(hook->module));
    lstrcpynA(hook->function, function, sizeof(hook->function));
    hook->real = Unstub(real);
    hook->replacement = replacement;
    hook->excludeOwnModule = excludeOwnModule;
    {
        CSkinLockScope scope(s_lock);
        hook->next = s_hooks;
        s_hooks = hook;
    }
    ReplaceImportInAllModules(hook->module, hook->real, replacement, excludeOwnModule);
    return hook;
}

void ApiHook_Destroy(ApiHook* hook)
{
    if (!hook)
        return;
    {
        CSkinLockScope scope(s_lock);
        for (ApiHook** link = &s_hooks; *link; link = &(*link)->next) {
            if (*link == hook) {
                *link = hook->next;
                break;
            }
        }
    }
    ReplaceImportInAllModules(hook->module, hook->replacement, hook->real, hook->excludeOwnModule);
    delete hook;
}

bool AreLoaderHooksInstalled()
{
    return s_loader.LoadLibraryA != NULL;
}

bool InstallLoaderHooks()
{
    if (AreLoaderHooksInstalled())
        return true;
    HMODULE kernel32 = LoadLibraryA("Kernel32");
    if (!kernel32)
        return false;
    LoaderEntries e;
    e.kernel32 = kernel32;
    Export(e.LoadLibraryA, kernel32, "LoadLibraryA");
    Export(e.LoadLibraryW, kernel32, "LoadLibraryW");
    Export(e.LoadLibraryExA, kernel32, "LoadLibraryExA");
    Export(e.LoadLibraryExW, kernel32, "LoadLibraryExW");
    Export(e.GetProcAddress, kernel32, "GetProcAddress");
    if (!e.LoadLibraryA || !e.LoadLibraryW || !e.LoadLibraryExA || !e.LoadLibraryExW || !e.GetProcAddress) {
        FreeLibrary(kernel32);
        return false;
    }
    s_loader = e;
    s_loaderHooks[0] = ApiHook_Create("Kernel32.dll", "LoadLibraryA", (void*)Hook_LoadLibraryA, FALSE);
    s_loaderHooks[1] = ApiHook_Create("Kernel32.dll", "LoadLibraryW", (void*)Hook_LoadLibraryW, FALSE);
    s_loaderHooks[2] = ApiHook_Create("Kernel32.dll", "LoadLibraryExA", (void*)Hook_LoadLibraryExA, FALSE);
    s_loaderHooks[3] = ApiHook_Create("Kernel32.dll", "LoadLibraryExW", (void*)Hook_LoadLibraryExW, FALSE);
    s_loaderHooks[4] = ApiHook_Create("Kernel32.dll", "GetProcAddress", (void*)Hook_GetProcAddress, FALSE);
    return true;
}

void RemoveLoaderHooks()
{
    if (!AreLoaderHooksInstalled())
        return;
    for (int i = 0; i < 5; ++i) {
        ApiHook_Destroy(s_loaderHooks[i]);
        s_loaderHooks[i] = NULL;
    }
    HMODULE kernel32 = s_loader.kernel32;
    memset(&s_loader, 0, sizeof(s_loader));
    FreeLibrary(kernel32);
}
