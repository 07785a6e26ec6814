// The application object and the close question inside one process.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/applicationhost.h"
#include "app/cleanwardenmodule.h"
#include "app/closeprompt.h"

namespace {

class ApplicationObjectTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))); }
    void TearDown() override
    {
        CCleanwardenApplication::SetHost(nullptr);
        CoUninitialize();
    }
};

CComPtr<ICleanwardenApplication> NewApplication()
{
    CComPtr<ICleanwardenApplication> app;
    EXPECT_EQ(S_OK, CCleanwardenApplication::CreateInstance(&app.p));
    return app;
}

// Answers PromptClose from a list and counts the questions; it can call
// ShutDown again from inside the question, as a second client would.
class ScriptedHost : public IApplicationHost
{
public:
    std::vector<int> answers;
    int asked = 0;
    ICleanwardenApplication* reenter = nullptr;
    HRESULT reentered = E_FAIL;

    int PromptClose() override
    {
        ++asked;
        if (reenter)
        {
            LONG result = 0;
            reentered = reenter->ShutDown(0, &result);
        }
        return asked <= static_cast<int>(answers.size()) ? answers[static_cast<size_t>(asked - 1)] : 0;
    }
};

struct Question
{
    HWND owner;
    std::string text, caption;
    UINT type;
    bool visible, topmost;
};
std::vector<Question> g_questions;
int g_answer = IDNO;

int RecordQuestion(HWND owner, LPCSTR text, LPCSTR caption, UINT type)
{
    g_questions.push_back({owner, text, caption, type, IsWindowVisible(owner) != FALSE,
                           (GetWindowLongA(owner, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0});
    return g_answer;
}

} // namespace

TEST_F(ApplicationObjectTest, InitializedIsTheProgramsStateForEveryObject)
{
    // The program's own object and a client's fresh one answer alike.
    CComPtr<ICleanwardenApplication> own = NewApplication();
    CComPtr<ICleanwardenApplication> client = NewApplication();
    unsigned char value = 0xEE;
    ASSERT_EQ(S_OK, own->get_Initialized(&value));
    EXPECT_EQ(0, value);
    EXPECT_FALSE(CCleanwardenApplication::IsProgramInitialized());

    EXPECT_EQ(S_OK, own->Initialize());
    EXPECT_EQ(S_OK, client->get_Initialized(&value));
    EXPECT_EQ(1, value);
    EXPECT_EQ(S_OK, NewApplication()->get_Initialized(&value));
    EXPECT_EQ(1, value);
    EXPECT_TRUE(CCleanwardenApplication::IsProgramInitialized());
    EXPECT_EQ(S_OK, client->Initialize());
    EXPECT_EQ(E_POINTER, client->get_Initialized(nullptr));
}

TEST_F(ApplicationObjectTest, ShutDownAsksTheHostAndReportsTheAnswer)
{
    CComPtr<ICleanwardenApplication> app = NewApplication();
    // No host: a window-less server, nothing to ask.
    LONG result = 5;
    EXPECT_EQ(S_OK, app->ShutDown(1, &result));
    EXPECT_EQ(1, result);
    EXPECT_EQ(S_OK, app->ShutDown(1, nullptr));

    ScriptedHost host;
    host.answers = {0, 1};
    CCleanwardenApplication::SetHost(&host);
    result = 5;
    EXPECT_EQ(S_FALSE, app->ShutDown(-1, &result));
    EXPECT_EQ(0, result);
    EXPECT_EQ(S_OK, app->ShutDown(0x7FFFFFFF, &result));
    EXPECT_EQ(1, result);
    EXPECT_EQ(2, host.asked);
}

TEST_F(ApplicationObjectTest, ASecondShutDownWhileTheQuestionIsOpenIsRefused)
{
    CComPtr<ICleanwardenApplication> app = NewApplication();
    CComPtr<ICleanwardenApplication> other = NewApplication();
    ScriptedHost host;
    host.answers = {1, 1};
    host.reenter = other;
    CCleanwardenApplication::SetHost(&host);

    EXPECT_EQ(S_OK, app->ShutDown(0, nullptr));
    EXPECT_EQ(S_FALSE, host.reentered);
    EXPECT_EQ(1, host.asked);
    // Once answered, the next request asks again.
    host.reenter = nullptr;
    EXPECT_EQ(S_OK, other->ShutDown(0, nullptr));
    EXPECT_EQ(2, host.asked);
}

TEST_F(ApplicationObjectTest, TheClassObjectMakesAggregatableObjectsThatLockTheModule)
{
    CwObjectEntry* map = CleanwardenObjectMap<CCleanwardenApplication>();
    ASSERT_TRUE(map[0].pclsid && map[1].pclsid);
    EXPECT_TRUE(IsEqualCLSID(CLSID_CleanwardenApplication, *map[0].pclsid));
    EXPECT_TRUE(map[0].pfnUpdateRegistry != nullptr);
    EXPECT_TRUE(IsEqualCLSID(CLSID_EngineListener, *map[1].pclsid));
    EXPECT_TRUE(map[1].pfnUpdateRegistry == nullptr);      // no registry script
    EXPECT_EQ(nullptr, map[2].pclsid);

    AtlModule().AddObjectMap(map);
    CComPtr<IClassFactory> factory;
    ASSERT_EQ(S_OK, AtlModule().GetClassObject(CLSID_CleanwardenApplication, IID_IClassFactory,
                                               reinterpret_cast<void**>(&factory)));
    const LONG locks = AtlModule().GetLockCount();
    {
        CComPtr<ICleanwardenApplication> a, b;
        ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_ICleanwardenApplication, reinterpret_cast<void**>(&a)));
        ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_ICleanwardenApplication, reinterpret_cast<void**>(&b)));
        EXPECT_NE(a.p, b.p);        // one new object per request
        EXPECT_EQ(locks + 2, AtlModule().GetLockCount());
        CComQIPtr<IDispatch> dispatch(a.p);
        EXPECT_TRUE(dispatch);
        UINT count = 0;
        EXPECT_EQ(S_OK, dispatch->GetTypeInfoCount(&count));
        EXPECT_EQ(1u, count);
        DISPID id = 0;
        LPOLESTR name = const_cast<LPOLESTR>(L"Initialized");
        EXPECT_EQ(DISP_E_UNKNOWNINTERFACE, dispatch->GetIDsOfNames(IID_IUnknown, &name, 1, 0, &id));
        EXPECT_EQ(DISP_E_UNKNOWNINTERFACE, dispatch->Invoke(1, IID_IUnknown, 0, DISPATCH_PROPERTYGET, nullptr,
                                                            nullptr, nullptr, nullptr));
    }
    EXPECT_EQ(locks, AtlModule().GetLockCount());

    // Inside an outer object: only its inner IUnknown may be asked for.
    CComPtr<IUnknown> outer;
    CreateStreamOnHGlobal(nullptr, TRUE, reinterpret_cast<IStream**>(&outer));
    CComPtr<IUnknown> inner;
    CComPtr<ICleanwardenApplication> wrong;
    EXPECT_EQ(CLASS_E_NOAGGREGATION, factory->CreateInstance(outer, IID_ICleanwardenApplication,
                                                             reinterpret_cast<void**>(&wrong)));
    ASSERT_EQ(S_OK, factory->CreateInstance(outer, IID_IUnknown, reinterpret_cast<void**>(&inner)));
    CComPtr<ICleanwardenApplication> app;
    ASSERT_EQ(S_OK, inner->QueryInterface(IID_ICleanwardenApplication, reinterpret_cast<void**>(&app)));
    // The interface's IUnknown is the outer object's.
    CComPtr<IUnknown> identity;
    app->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity));
    EXPECT_TRUE(outer.IsEqualObject(identity));
    app.Release();
    identity.Release();
    inner.Release();
    EXPECT_EQ(locks, AtlModule().GetLockCount());

    factory.Release();
    AtlModule().Term();
    AtlModule().RemoveObjectMap(map);
}

TEST_F(ApplicationObjectTest, TheCloseQuestionShowsTheMainWindowTopmostAndAsksIt)
{
    HWND main = CreateWindowExA(0, "STATIC", "main", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(main);
    g_questions.clear();

    g_answer = IDNO;
    EXPECT_FALSE(AskToCloseProgram(main, &RecordQuestion));
    ASSERT_EQ(1u, g_questions.size());
    EXPECT_EQ(main, g_questions[0].owner);
    EXPECT_EQ("Do you want close Telmin Cleanwarden?", g_questions[0].text);
    EXPECT_EQ("Telmin Cleanwarden", g_questions[0].caption);
    EXPECT_EQ(static_cast<UINT>(MB_YESNO), g_questions[0].type);
    EXPECT_TRUE(g_questions[0].visible);
    EXPECT_TRUE(g_questions[0].topmost);
    // "No" leaves the window shown and topmost.
    EXPECT_TRUE(IsWindowVisible(main));
    EXPECT_TRUE(GetWindowLongA(main, GWL_EXSTYLE) & WS_EX_TOPMOST);

    g_answer = IDYES;
    EXPECT_TRUE(AskToCloseProgram(main, &RecordQuestion));
    EXPECT_EQ(2u, g_questions.size());
    DestroyWindow(main);

    // Without a main window nothing is asked.
    EXPECT_TRUE(AskToCloseProgram(nullptr, &RecordQuestion));
    EXPECT_EQ(2u, g_questions.size());
}
