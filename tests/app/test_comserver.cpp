// The COM local server seen from outside: the registry tree of the
// registration switches, and a second process that creates the application
// object through COM while the stand-in program serves it.

#include <gtest/gtest.h>

#include <shlwapi.h>

#include "app/cleanwardenmodule.h"
#include "engine/mothtrap.h"
#include "tests/app/com_server_support.h"

namespace {

using namespace comserver;


class ComServerTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { s_server = new ServerCopy(); }
    static void TearDownTestSuite()
    {
        delete s_server;
        s_server = nullptr;
    }

    void SetUp() override { ASSERT_TRUE(s_server->Copied()); }

    // Whatever a test did, the copy is unregistered and no process of it is
    // left.
    void TearDown() override
    {
        EndServerProcesses(*s_server);
        EXPECT_EQ(0u, RunServer(*s_server, "/UnregServer"));
        EXPECT_FALSE(KeyExists(kClassKey));
        EXPECT_FALSE(KeyExists(std::string("TypeLib\\") + kLibId));
    }

    static const ServerCopy& Server() { return *s_server; }

    static void Register() { ASSERT_EQ(0u, RunServer(*s_server, "/RegServer")); }

    static ServerCopy* s_server;
};

ServerCopy* ComServerTest::s_server = nullptr;

CComPtr<ICleanwardenApplication> CreateApplication()
{
    CComPtr<ICleanwardenApplication> app;
    HRESULT hr = app.CoCreateInstance(CLSID_CleanwardenApplication, nullptr, CLSCTX_LOCAL_SERVER);
    EXPECT_EQ(S_OK, hr);
    return app;
}

// ShutDown(reason, [out] result) called by name, as a script does (the
// arguments last to first); the result it wrote, -1 when the call failed.
LONG ShutDownByName(IDispatch* dispatch, LONG reason)
{
    LONG result = -1;
    VARIANT args[2];
    VariantInit(&args[0]);
    VariantInit(&args[1]);
    args[0].vt = VT_I4 | VT_BYREF;
    args[0].plVal = &result;
    args[1].vt = VT_I4;
    args[1].lVal = reason;
    DISPPARAMS params = {args, nullptr, 2, 0};
    if (FAILED(dispatch->Invoke(2, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr)))
        return -1;
    return result;
}

int InitializedOf(ICleanwardenApplication* app)
{
    unsigned char value = 0xEE;
    if (!app || FAILED(app->get_Initialized(&value)))
        return -1;
    return value;
}

// A desktop copy of the stand-in: its own object initialised, its main
// dialog hidden, ready for clients.
class DesktopRun
{
public:
    DesktopRun(const ServerCopy& server, const char* answers) : m_log(server.File("questions.log"))
    {
        DeleteFileA(m_log.c_str());
        char name[64];
        wsprintfA(name, "cw-comserver-ready-%lu", GetCurrentProcessId());
        m_ready = CreateEventA(nullptr, TRUE, FALSE, name);
        m_started = m_process.Start(server, std::string("/answers:") + answers + " \"/log:" + m_log +
                                                "\" /ready:" + name);
        m_isReady = m_started && WaitForSingleObject(m_ready, 60000) == WAIT_OBJECT_0;
    }
    ~DesktopRun()
    {
        m_process.End();
        CloseHandle(m_ready);
        DeleteFileA(m_log.c_str());
    }

    bool Ready() const { return m_isReady; }
    ServerProcess& Process() { return m_process; }
    HWND MainWindow() const
    {
        char title[64];
        wsprintfA(title, "cw-comserver-%lu", m_process.Id());
        return FindWindowA(nullptr, title);
    }
    std::string Questions() const
    {
        std::string text;
        HANDLE file = CreateFileA(m_log.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return text;
        char buffer[1024];
        DWORD read = 0;
        while (ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read)
            text.append(buffer, read);
        CloseHandle(file);
        return text;
    }

private:
    std::string m_log;
    HANDLE m_ready;
    ServerProcess m_process;
    bool m_started;
    bool m_isReady;
};

} // namespace

TEST_F(ComServerTest, RegServerWritesTheWholeTreeWithTheQuotedServerPath)
{
    Register();
    ExpectRegisteredTree(Server().Path());
}

TEST_F(ComServerTest, UnregServerTakesTheTreeAwayAndLeavesTheSharedKeys)
{
    Register();
    // What another installer put under the class goes with the class key.
    HKEY planted = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CLASSES_ROOT, (kClassKey + "\\Implemented Categories\\{40FC6ED5-2438-11CF-A3DB-080036F12502}").c_str(),
                                             0, nullptr, 0, KEY_WRITE, nullptr, &planted, nullptr));
    RegCloseKey(planted);

    EXPECT_EQ(0u, RunServer(Server(), "/UnregServer"));
    ExpectNoRegisteredTree();

    // Nothing left to take away is no failure.
    EXPECT_EQ(0u, RunServer(Server(), "/UnregServer"));
}

TEST_F(ComServerTest, TheSwitchesInLowerCaseAndLedByADash)
{
    EXPECT_EQ(0u, RunServer(Server(), "-regserver"));
    EXPECT_TRUE(KeyExists(kClassKey + "\\LocalServer32"));
    EXPECT_EQ(0u, RunServer(Server(), "-unregister"));
    EXPECT_FALSE(KeyExists(kClassKey));
    EXPECT_EQ(0u, RunServer(Server(), "/REGISTER"));
    EXPECT_TRUE(KeyExists(kClassKey + "\\LocalServer32"));
}

TEST_F(ComServerTest, AFailedRegistrationEndsWithExitCodeOneAndLeavesNoHalfClass)
{
    // A volatile ProgID key cannot take the lasting "CLSID" subkey.
    HKEY blocker = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CLASSES_ROOT, kProgId, 0, nullptr, REG_OPTION_VOLATILE,
                                             KEY_ALL_ACCESS, nullptr, &blocker, nullptr));
    RegCloseKey(blocker);
    DeleteFileA(Server().File("sdebug.log").c_str());

    EXPECT_EQ(1u, RunServer(Server(), "/RegServer"));
    EXPECT_FALSE(KeyExists(kClassKey));
    EXPECT_FALSE(KeyExists(kIndependentProgId));
    EXPECT_FALSE(KeyExists(std::string("TypeLib\\") + kLibId));
    HANDLE log = CreateFileA(Server().File("sdebug.log").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                             OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, log);
    char text[512] = {};
    DWORD read = 0;
    ReadFile(log, text, sizeof(text) - 1, &read, nullptr);
    CloseHandle(log);
    EXPECT_NE(nullptr, strstr(text, "COM server registration failed: 0x800703FD")) << text;

    SHDeleteKeyA(HKEY_CLASSES_ROOT, kProgId);
}

TEST_F(ComServerTest, AServerStartedByComAnswersWithoutAWindow)
{
    Register();
    RunInApartment([this] {
        CComPtr<ICleanwardenApplication> app = CreateApplication();
        ASSERT_TRUE(app);
        EXPECT_EQ(0, InitializedOf(app));

        // No main window to show and no user to ask.
        LONG result = 77;
        EXPECT_EQ(S_OK, app->ShutDown(3, &result));
        EXPECT_EQ(1, result);
        EXPECT_EQ(0, InitializedOf(app));

        // The state is the process's: a second object sees the first one's
        // Initialize.
        CComPtr<ICleanwardenApplication> second = CreateApplication();
        EXPECT_EQ(S_OK, app->Initialize());
        EXPECT_EQ(1, InitializedOf(second));
        EXPECT_EQ(1u, ServerProcessIds(Server()).size());
    });
    EXPECT_TRUE(WaitForNoServer(Server(), 30000));
}

TEST_F(ComServerTest, CallsByNameThroughIDispatch)
{
    Register();
    RunInApartment([] {
        CComPtr<ICleanwardenApplication> app = CreateApplication();
        ASSERT_TRUE(app);
        CComQIPtr<IDispatch> dispatch(app.p);
        ASSERT_TRUE(dispatch);

        UINT count = 0;
        EXPECT_EQ(S_OK, dispatch->GetTypeInfoCount(&count));
        EXPECT_EQ(1u, count);

        const wchar_t* names[] = {L"Initialized", L"ShutDown", L"Initialize", L"initialize"};
        const DISPID expected[] = {1, 2, 3, 3};
        for (int i = 0; i < 4; ++i)
        {
            LPOLESTR name = const_cast<LPOLESTR>(names[i]);
            DISPID id = -1;
            EXPECT_EQ(S_OK, dispatch->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id));
            EXPECT_EQ(expected[i], id);
        }
        LPOLESTR unknown = const_cast<LPOLESTR>(L"Uninstall");
        DISPID id = 0;
        EXPECT_EQ(DISP_E_UNKNOWNNAME, dispatch->GetIDsOfNames(IID_NULL, &unknown, 1, LOCALE_USER_DEFAULT, &id));

        DISPPARAMS none = {};
        VARIANT value;
        VariantInit(&value);
        ASSERT_EQ(S_OK, dispatch->Invoke(1, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &value,
                                         nullptr, nullptr));
        EXPECT_EQ(VT_UI1, value.vt);
        EXPECT_EQ(0, value.bVal);

        EXPECT_EQ(S_OK, dispatch->Invoke(3, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none, nullptr,
                                         nullptr, nullptr));
        VariantInit(&value);
        ASSERT_EQ(S_OK, dispatch->Invoke(1, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &value,
                                         nullptr, nullptr));
        EXPECT_EQ(1, value.bVal);

        EXPECT_EQ(1, ShutDownByName(dispatch, 9));
    });
}

TEST_F(ComServerTest, TheServerStaysWhileAClientHoldsItAndEndsOnTheLastRelease)
{
    Register();
    RunInApartment([this] {
        CComPtr<ICleanwardenApplication> app = CreateApplication();
        ASSERT_TRUE(app);
        // Past the idle time: a server with a client does not idle out.
        Sleep(CCleanwardenModule::kIdleTimeout + 2000);
        EXPECT_EQ(0, InitializedOf(app));
        EXPECT_EQ(1u, ServerProcessIds(Server()).size());
        const DWORD released = GetTickCount();
        app.Release();
        EXPECT_TRUE(WaitForNoServer(Server(), 30000));
        // Well before another idle time would have ended it.
        EXPECT_LT(GetTickCount() - released, CCleanwardenModule::kIdleTimeout - 2000);
    });
}

TEST_F(ComServerTest, AServerThatNoClientReachesEndsAfterTheIdleTime)
{
    ServerProcess server;
    const DWORD begin = GetTickCount();
    ASSERT_TRUE(server.Start(Server(), "-Embedding"));
    EXPECT_EQ(0u, server.Wait(CCleanwardenModule::kIdleTimeout + 30000));
    EXPECT_GE(GetTickCount() - begin, CCleanwardenModule::kIdleTimeout - 500);
}

TEST_F(ComServerTest, TheRunningProgramAnswersForItselfAndAsksBeforeClosing)
{
    Register();     // other processes reach the interface through the registered type library
    DesktopRun program(Server(), "NY");
    ASSERT_TRUE(program.Ready());
    HWND main = program.MainWindow();
    ASSERT_TRUE(main);
    Sleep(500);
    EXPECT_FALSE(IsWindowVisible(main));        // in the tray

    RunInApartment([&] {
        // A new client's object: the program initialised its own.
        CComPtr<ICleanwardenApplication> app = CreateApplication();
        ASSERT_TRUE(app);
        EXPECT_EQ(1, InitializedOf(app));

        // The engine event sink's class object is served too.
        CComPtr<IUnknown> listener;
        EXPECT_EQ(S_OK, CoCreateInstance(CLSID_EngineListener, nullptr, CLSCTX_LOCAL_SERVER, IID_IUnknown,
                                         reinterpret_cast<void**>(&listener)));

        // "No": the main window is shown, topmost, and stays. A script
        // reads the answer from the result: S_FALSE is no error to it.
        CComQIPtr<IDispatch> dispatch(app.p);
        ASSERT_TRUE(dispatch);
        EXPECT_EQ(0, ShutDownByName(dispatch, 0));
        EXPECT_TRUE(IsWindowVisible(main));
        EXPECT_TRUE(GetWindowLongA(main, GWL_EXSTYLE) & WS_EX_TOPMOST);
        EXPECT_EQ("main|Do you want close Telmin Cleanwarden?|Telmin Cleanwarden|4\n", program.Questions());

        // "Yes": the main dialog ends and the program with it.
        LONG result = 7;
        EXPECT_EQ(S_OK, app->ShutDown(0, &result));
        EXPECT_EQ(1, result);
        EXPECT_EQ(0u, program.Process().Wait(30000));
    });
}

TEST_F(ComServerTest, RegistrationWorksWhileAnotherCopyRuns)
{
    DesktopRun program(Server(), "");
    ASSERT_TRUE(program.Ready());

    EXPECT_EQ(0u, RunServer(Server(), "/RegServer"));
    EXPECT_EQ("\"" + Server().Path() + "\"", DefaultValueOf(kClassKey + "\\LocalServer32"));
    EXPECT_EQ(0u, RunServer(Server(), "/UnregServer"));
    EXPECT_FALSE(KeyExists(kClassKey));

    PostMessageA(program.MainWindow(), WM_CLOSE, 0, 0);
    EXPECT_EQ(0u, program.Process().Wait(30000));
}

TEST(ComServerResources, TheProgramCarriesItsTypeLibraryFirstAndTheEnginesSecond)
{
    const std::string built = std::string(GetModuleFolder()) + "cw_com_server.exe";
    const std::wstring server(static_cast<LPWSTR>(CA2W(built.c_str())));
    CComPtr<ITypeLib> own, engine;
    ASSERT_EQ(S_OK, LoadTypeLibEx((server + L"\\1").c_str(), REGKIND_NONE, &own));
    ASSERT_EQ(S_OK, LoadTypeLibEx((server + L"\\2").c_str(), REGKIND_NONE, &engine));
    TLIBATTR* attr = nullptr;
    ASSERT_EQ(S_OK, own->GetLibAttr(&attr));
    EXPECT_TRUE(IsEqualGUID(LIBID_TelminCleanwardenLib, attr->guid));
    EXPECT_EQ(1, attr->wMajorVerNum);
    EXPECT_EQ(0, attr->wMinorVerNum);
    own->ReleaseTLibAttr(attr);
    ASSERT_EQ(S_OK, engine->GetLibAttr(&attr));
    EXPECT_TRUE(IsEqualGUID(LIBID_Mothtrap, attr->guid));
    engine->ReleaseTLibAttr(attr);

    // The dual interface: IDispatch first, then its three functions.
    CComPtr<ITypeInfo> dispatch, vtable;
    ASSERT_EQ(S_OK, own->GetTypeInfoOfGuid(IID_ICleanwardenApplication, &dispatch));
    TYPEATTR* type = nullptr;
    ASSERT_EQ(S_OK, dispatch->GetTypeAttr(&type));
    EXPECT_EQ(TKIND_DISPATCH, type->typekind);
    EXPECT_TRUE(type->wTypeFlags & TYPEFLAG_FDUAL);
    dispatch->ReleaseTypeAttr(type);
    HREFTYPE ref = 0;
    ASSERT_EQ(S_OK, dispatch->GetRefTypeOfImplType(static_cast<UINT>(-1), &ref));
    ASSERT_EQ(S_OK, dispatch->GetRefTypeInfo(ref, &vtable));
    ASSERT_EQ(S_OK, vtable->GetTypeAttr(&type));
    EXPECT_EQ(TKIND_INTERFACE, type->typekind);
    EXPECT_EQ(3, type->cFuncs);
    vtable->ReleaseTypeAttr(type);
    const struct { MEMBERID id; INVOKEKIND kind; const wchar_t* name; short params; short slot; } functions[] = {
        {1, INVOKE_PROPERTYGET, L"Initialized", 1, 7},
        {2, INVOKE_FUNC, L"ShutDown", 2, 8},
        {3, INVOKE_FUNC, L"Initialize", 0, 9},
    };
    for (UINT i = 0; i < 3; ++i)
    {
        FUNCDESC* f = nullptr;
        ASSERT_EQ(S_OK, vtable->GetFuncDesc(i, &f));
        EXPECT_EQ(functions[i].id, f->memid);
        EXPECT_EQ(functions[i].kind, f->invkind);
        EXPECT_EQ(functions[i].params, f->cParams);
        EXPECT_EQ(functions[i].slot * static_cast<short>(sizeof(void*)), f->oVft);
        CComBSTR name;
        vtable->GetDocumentation(f->memid, &name, nullptr, nullptr, nullptr);
        EXPECT_TRUE(name == functions[i].name);
        if (i == 0)
        {
            EXPECT_EQ(VT_PTR, f->lprgelemdescParam[0].tdesc.vt);
            EXPECT_EQ(VT_UI1, f->lprgelemdescParam[0].tdesc.lptdesc->vt);
            EXPECT_TRUE(f->lprgelemdescParam[0].paramdesc.wParamFlags & PARAMFLAG_FRETVAL);
        }
        if (i == 1)
        {
            EXPECT_EQ(VT_I4, f->lprgelemdescParam[0].tdesc.vt);
            EXPECT_EQ(PARAMFLAG_FIN, f->lprgelemdescParam[0].paramdesc.wParamFlags);
            EXPECT_EQ(VT_PTR, f->lprgelemdescParam[1].tdesc.vt);
            EXPECT_EQ(VT_I4, f->lprgelemdescParam[1].tdesc.lptdesc->vt);
            EXPECT_EQ(PARAMFLAG_FOUT, f->lprgelemdescParam[1].paramdesc.wParamFlags);
        }
        vtable->ReleaseFuncDesc(f);
    }

    // The coclasses and the engine sink's interface without methods.
    CComPtr<ITypeInfo> application, listener, listenerInterface;
    EXPECT_EQ(S_OK, own->GetTypeInfoOfGuid(CLSID_CleanwardenApplication, &application));
    EXPECT_EQ(S_OK, own->GetTypeInfoOfGuid(CLSID_EngineListener, &listener));
    ASSERT_EQ(S_OK, own->GetTypeInfoOfGuid(IID_IEngineListener, &listenerInterface));
    ASSERT_EQ(S_OK, listenerInterface->GetTypeAttr(&type));
    EXPECT_EQ(0, type->cFuncs);
    listenerInterface->ReleaseTypeAttr(type);

    // The engine's texts and the registry scripts are there too.
    HMODULE module = LoadLibraryExW(server.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_TRUE(module);
    char text[16] = {};
    EXPECT_GT(LoadStringA(module, 400, text, sizeof(text)), 0);
    EXPECT_STREQ("<html>", text);
    EXPECT_TRUE(FindResourceW(module, MAKEINTRESOURCEW(IDR_APPID), L"REGISTRY"));
    EXPECT_TRUE(FindResourceW(module, MAKEINTRESOURCEW(IDR_CLEANWARDENAPPLICATION), L"REGISTRY"));
    FreeLibrary(module);

    // Executables that are not the program keep the engine's library first.
    WCHAR self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    CComPtr<ITypeLib> mine;
    ASSERT_EQ(S_OK, LoadTypeLibEx(self, REGKIND_NONE, &mine));
    ASSERT_EQ(S_OK, mine->GetLibAttr(&attr));
    EXPECT_TRUE(IsEqualGUID(LIBID_Mothtrap, attr->guid));
    mine->ReleaseTLibAttr(attr);
}
