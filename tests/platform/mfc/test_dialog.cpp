// Dialogs: templates from the resources, modeless creation, and the modal
// loop's ends: EndDialog at once, from a nested modal loop, from inside a
// COM call, and WM_QUIT; and the order of the PreTranslateMessage chain.

#include <gtest/gtest.h>

#include "res/mfctest_ids.h"
#include "window_test_support.h"

#include <objbase.h>
#include <oaidl.h>

#include <functional>
#include <thread>

namespace {

const UINT WM_TEST_STEP = WM_APP + 10;
const UINT WM_TEST_SENT = WM_APP + 11;

class CTestDialog : public CDialog
{
public:
    explicit CTestDialog(UINT id = IDD_PLAIN, CWnd* parent = nullptr) : CDialog(id, parent) {}

    std::function<void(CTestDialog&)> onInit;
    std::function<void(CTestDialog&)> onStep;
    std::function<void(CTestDialog&)> onSent;
    CallLog* log = nullptr;
    BOOL eatMessages = FALSE;

    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        if (onInit)
            onInit(*this);
        return TRUE;
    }
    BOOL PreTranslateMessage(MSG* pMsg) override
    {
        if (log && pMsg->message == WM_KEYDOWN)
            log->push_back("dialog");
        return CDialog::PreTranslateMessage(pMsg);
    }

protected:
    afx_msg LRESULT OnStep(WPARAM, LPARAM)
    {
        if (onStep)
            onStep(*this);
        return 0;
    }
    afx_msg LRESULT OnSent(WPARAM, LPARAM)
    {
        if (onSent)
            onSent(*this);
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTestDialog, CDialog)
    ON_MESSAGE(WM_TEST_STEP, OnStep)
    ON_MESSAGE(WM_TEST_SENT, OnSent)
END_MESSAGE_MAP()

// An edit control that sees key messages before its dialog does.
class CSpyEdit : public CWnd
{
public:
    CallLog* log = nullptr;
    BOOL swallow = FALSE;
    int keyDowns = 0;

    BOOL PreTranslateMessage(MSG* pMsg) override
    {
        if (pMsg->message == WM_KEYDOWN)
            log->push_back("edit");
        return swallow;
    }

protected:
    afx_msg void OnKeyDown(UINT, UINT, UINT) { ++keyDowns; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CSpyEdit, CWnd)
    ON_WM_KEYDOWN()
END_MESSAGE_MAP()

class CSpyApp : public CWinApp
{
public:
    CallLog* log = nullptr;
    BOOL PreTranslateMessage(MSG* pMsg) override
    {
        if (pMsg->message == WM_KEYDOWN)
            log->push_back("app");
        return CWinApp::PreTranslateMessage(pMsg);
    }
};

// An object in the multithreaded apartment whose call sends a message to
// the dialog waiting for the call's answer.
class CSendingObject : public IDispatch
{
public:
    explicit CSendingObject(HWND target) : m_target(target) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
    {
        if (riid == IID_IUnknown || riid == IID_IDispatch)
        {
            *ppv = this;
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&m_refs); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        ULONG refs = InterlockedDecrement(&m_refs);
        if (refs == 0)
            delete this;
        return refs;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override
    {
        SendMessageA(m_target, WM_TEST_SENT, 0, 0);
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        return E_NOTIMPL;
    }

private:
    virtual ~CSendingObject() = default;
    LONG m_refs = 1;
    HWND m_target;
};

} // namespace

TEST(Dialog, EndDialogDuringInitialisationEndsTheLoopAtOnce)
{
    CTestDialog dlg;
    dlg.onInit = [](CTestDialog& d) { d.EndDialog(17); };
    EXPECT_EQ(17, dlg.DoModal());
    EXPECT_EQ(nullptr, dlg.m_hWnd);
}

TEST(Dialog, ButtonsEndTheDialogWithTheirIds)
{
    CTestDialog ok;
    ok.onInit = [](CTestDialog& d) { d.GetDlgItem(IDOK)->PostMessage(BM_CLICK); };
    EXPECT_EQ(IDOK, ok.DoModal());
    CTestDialog cancel;
    cancel.onInit = [](CTestDialog& d) { d.PostMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0); };
    EXPECT_EQ(IDCANCEL, cancel.DoModal());
}

TEST(Dialog, OwnerIsDisabledWhileTheDialogRunsAndEnabledAfter)
{
    CWnd owner;
    ASSERT_TRUE(CreatePopup(owner));
    BOOL enabledDuring = TRUE;
    CTestDialog dlg(IDD_PLAIN, &owner);
    dlg.onInit = [&](CTestDialog& d) {
        enabledDuring = owner.IsWindowEnabled();
        d.EndDialog(1);
    };
    EXPECT_EQ(1, dlg.DoModal());
    EXPECT_FALSE(enabledDuring);
    EXPECT_TRUE(owner.IsWindowEnabled());
    owner.DestroyWindow();
}

TEST(Dialog, EndDialogFromANestedModalLoopEndsTheOuterOneAfterwards)
{
    CTestDialog outer;
    CTestDialog inner(IDD_NESTED);
    INT_PTR innerResult = 0;
    bool outerStillRunningAfterInner = false;
    outer.onInit = [](CTestDialog& d) { d.PostMessage(WM_TEST_STEP); };
    outer.onStep = [&](CTestDialog& d) {
        innerResult = inner.DoModal();
        outerStillRunningAfterInner = ::IsWindow(d.m_hWnd) != FALSE;
    };
    inner.onInit = [&](CTestDialog& d) {
        outer.EndDialog(5);            // the outer loop is not running this frame
        d.PostMessage(WM_TEST_STEP);   // the inner one ends a little later
    };
    inner.onStep = [](CTestDialog& d) { d.EndDialog(7); };
    EXPECT_EQ(5, outer.DoModal());
    EXPECT_EQ(7, innerResult);
    EXPECT_TRUE(outerStillRunningAfterInner);
}

TEST(Dialog, EndDialogDuringAComCallEndsTheLoopWhenTheCallReturns)
{
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    CTestDialog dlg;
    IStream* stream = nullptr;
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HWND target = nullptr;
    bool called = false;

    dlg.onInit = [&](CTestDialog& d) {
        target = d.m_hWnd;
        // The object lives in a worker's multithreaded apartment.
        std::thread([&] {
            CoInitializeEx(nullptr, COINIT_MULTITHREADED);
            CSendingObject* object = new CSendingObject(target);
            CoMarshalInterThreadInterfaceInStream(IID_IDispatch, object, &stream);
            object->Release();
            SetEvent(ready);
            WaitForSingleObject(done, 20000);
            CoUninitialize();
        }).detach();
        WaitForSingleObject(ready, 20000);
        d.PostMessage(WM_TEST_STEP);
    };
    dlg.onStep = [&](CTestDialog&) {
        IDispatch* proxy = nullptr;
        ASSERT_TRUE(SUCCEEDED(CoGetInterfaceAndReleaseStream(stream, IID_IDispatch, reinterpret_cast<void**>(&proxy))));
        UINT count = 1;
        called = SUCCEEDED(proxy->GetTypeInfoCount(&count));  // the object sends WM_TEST_SENT meanwhile
        proxy->Release();
    };
    dlg.onSent = [](CTestDialog& d) { d.EndDialog(9); };
    EXPECT_EQ(9, dlg.DoModal());
    EXPECT_TRUE(called);
    SetEvent(done);
    CloseHandle(ready);
    CloseHandle(done);
    CoUninitialize();
}

TEST(Dialog, QuitMessageEndsTheLoopAndIsPostedAgain)
{
    CTestDialog dlg;
    dlg.onInit = [](CTestDialog&) { PostQuitMessage(3); };
    EXPECT_EQ(-1, dlg.DoModal());
    EXPECT_EQ(nullptr, dlg.m_hWnd);
    EXPECT_EQ(3, TakeQuitMessage());
}

TEST(Dialog, PreTranslateMessageRunsFromTheApplicationDownTheWindowChain)
{
    CallLog log;
    CSpyApp app;
    app.log = &log;
    CTestDialog dlg;
    CSpyEdit edit;
    edit.log = &log;
    dlg.log = &log;
    dlg.onInit = [&](CTestDialog& d) {
        ASSERT_TRUE(edit.SubclassDlgItem(IDC_EDIT, &d));
        edit.PostMessage(WM_KEYDOWN, 'A', 1);
        d.PostMessage(WM_TEST_STEP);
    };
    dlg.onStep = [&](CTestDialog& d) {
        // The edit now takes the key itself: the dialog never sees it and
        // the edit's window procedure does not get it either.
        edit.swallow = TRUE;
        edit.PostMessage(WM_KEYDOWN, 'B', 1);
        d.PostMessage(WM_COMMAND, IDOK);
    };
    EXPECT_EQ(IDOK, dlg.DoModal());
    EXPECT_EQ((CallLog{"app", "edit", "dialog", "app", "edit"}), log);
    EXPECT_EQ(1, edit.keyDowns);
}

TEST(Dialog, ModelessDialogFindsItsControls)
{
    CTestDialog dlg;
    ASSERT_TRUE(dlg.Create(IDD_PLAIN));
    ASSERT_NE(nullptr, dlg.GetDlgItem(IDC_EDIT));
    EXPECT_EQ(IDC_EDIT, dlg.GetDlgItem(IDC_EDIT)->GetDlgCtrlID());
    EXPECT_EQ(nullptr, dlg.GetDlgItem(4242));
    CString caption;
    dlg.GetWindowText(caption);
    EXPECT_STREQ("Plain", caption);
    EXPECT_FALSE(dlg.Create(IDD_PLAIN));  // it already has a window
    dlg.DestroyWindow();
}

TEST(Dialog, MissingTemplateMakesNoWindow)
{
    CTestDialog dlg(4711);
    EXPECT_EQ(-1, dlg.DoModal());
    EXPECT_FALSE(dlg.Create(4711));
    EXPECT_EQ(nullptr, dlg.m_hWnd);
}

namespace {

// Ends a dialog that waited in vain for its input.
void CALLBACK GiveUp(HWND hWnd, UINT, UINT_PTR, DWORD)
{
    if (CDialog* dialog = DYNAMIC_DOWNCAST(CDialog, CWnd::FromHandlePermanent(hWnd)))
        dialog->EndDialog(-2);
}

} // namespace

TEST(Dialog, SimulatedKeysAndClicksReachTheDialog)
{
    // Escape typed on the keyboard: the dialog manager turns it into Cancel.
    CTestDialog escape;
    escape.onInit = [](CTestDialog& d) {
        d.SetTimer(1, 10000, &GiveUp);
        d.ShowWindow(SW_SHOW);
        d.SetForegroundWindow();
        d.GetDlgItem(IDC_EDIT)->SetFocus();
        SendKey(VK_ESCAPE);
    };
    EXPECT_EQ(IDCANCEL, escape.DoModal());

    // A click on the OK button.
    CTestDialog click;
    click.onInit = [](CTestDialog& d) {
        d.SetTimer(1, 10000, &GiveUp);
        d.ShowWindow(SW_SHOW);
        d.SetForegroundWindow();
        CRect ok;
        d.GetDlgItem(IDOK)->GetWindowRect(ok);
        ClickAt(ok.CenterPoint());
    };
    EXPECT_EQ(IDOK, click.DoModal());
}
