// Window objects and their handles: the permanent and temporary maps,
// subclassing, and letting go of a handle when its window goes, so that a
// stale handle never reaches a window that later reuses it.

#include <gtest/gtest.h>

#include "window_test_support.h"

namespace {

class CCountingWnd : public CWnd
{
public:
    int* postNcDestroy = nullptr;
    CallLog log;

protected:
    void PostNcDestroy() override
    {
        if (postNcDestroy)
            ++*postNcDestroy;
    }
    afx_msg void OnDestroy()
    {
        log.push_back("destroy");
        CWnd::OnDestroy();
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CCountingWnd, CWnd)
    ON_WM_DESTROY()
END_MESSAGE_MAP()

HWND CreatePlainChild(HWND parent)
{
    return CreateWindowExA(0, "STATIC", "child", WS_CHILD, 0, 0, 20, 20, parent, nullptr, nullptr, nullptr);
}

} // namespace

TEST(WndHandles, PermanentAndTemporaryObjects)
{
    CWnd owner;
    ASSERT_TRUE(CreatePopup(owner));
    EXPECT_EQ(&owner, CWnd::FromHandle(owner.m_hWnd));
    EXPECT_EQ(&owner, CWnd::FromHandlePermanent(owner.m_hWnd));

    HWND child = CreatePlainChild(owner.m_hWnd);
    CWnd* temp = CWnd::FromHandle(child);
    ASSERT_NE(nullptr, temp);
    EXPECT_EQ(child, temp->m_hWnd);
    EXPECT_EQ(temp, CWnd::FromHandle(child));  // one wrapper per handle
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(child));
    EXPECT_EQ(nullptr, CWnd::FromHandle(nullptr));
    EXPECT_EQ(&owner, temp->GetParent());

    // Attaching makes an object permanent; a second claim is refused.
    CWnd attached, second;
    EXPECT_TRUE(attached.Attach(child));
    EXPECT_EQ(&attached, CWnd::FromHandle(child));
    EXPECT_FALSE(second.Attach(child));
    EXPECT_EQ(child, attached.Detach());
    EXPECT_EQ(nullptr, attached.m_hWnd);
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(child));
    owner.DestroyWindow();
}

TEST(WndHandles, SubclassRoutesMessagesAndIsRefusedTwice)
{
    CWnd owner;
    ASSERT_TRUE(CreatePopup(owner));
    HWND child = CreatePlainChild(owner.m_hWnd);
    SetWindowLongPtrA(child, GWLP_ID, 77);
    CCountingWnd sub;
    ASSERT_TRUE(sub.SubclassDlgItem(77, &owner));
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(&AfxWndProc), GetWindowLongPtrA(child, GWLP_WNDPROC));
    CWnd again;
    EXPECT_FALSE(again.SubclassWindow(child));
    EXPECT_FALSE(again.SubclassDlgItem(78, &owner));  // no such control

    // The window's own procedure still answers what the map does not take.
    sub.SetWindowText("text");
    CString text;
    sub.GetWindowText(text);
    EXPECT_STREQ("text", text);

    HWND released = sub.UnsubclassWindow();
    EXPECT_EQ(child, released);
    EXPECT_NE(reinterpret_cast<LONG_PTR>(&AfxWndProc), GetWindowLongPtrA(child, GWLP_WNDPROC));
    owner.DestroyWindow();
}

TEST(WndHandles, ObjectLetsGoOnNcDestroyWhenItsParentGoes)
{
    CWnd owner;
    ASSERT_TRUE(CreatePopup(owner));
    CCountingWnd child;
    int postNcDestroy = 0;
    child.postNcDestroy = &postNcDestroy;
    ASSERT_TRUE(child.Create(nullptr, "child", WS_VISIBLE, CRect(0, 0, 10, 10), &owner, 5));
    HWND old = child.m_hWnd;

    ::DestroyWindow(owner.m_hWnd);  // not through the objects
    EXPECT_EQ(nullptr, owner.m_hWnd);
    EXPECT_EQ(nullptr, child.m_hWnd);
    EXPECT_EQ(1, postNcDestroy);
    EXPECT_EQ((CallLog{"destroy"}), child.log);
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(old));

    // Destroying again touches no window, whatever now has that handle.
    EXPECT_FALSE(child.DestroyWindow());
    EXPECT_FALSE(owner.DestroyWindow());
}

TEST(WndHandles, AttachedObjectForgetsAWindowDestroyedBehindItsBack)
{
    CWnd owner;
    ASSERT_TRUE(CreatePopup(owner));
    HWND child = CreatePlainChild(owner.m_hWnd);
    CWnd attached;
    ASSERT_TRUE(attached.Attach(child));
    ::DestroyWindow(child);  // the attached object is not told
    HWND other = CreatePlainChild(owner.m_hWnd);

    EXPECT_FALSE(attached.DestroyWindow());
    EXPECT_EQ(nullptr, attached.m_hWnd);
    EXPECT_TRUE(IsWindow(other));
    owner.DestroyWindow();
}

TEST(WndHandles, ObjectDestroysTheWindowItStillOwns)
{
    HWND hWnd;
    {
        CCountingWnd wnd;
        ASSERT_TRUE(CreatePopup(wnd));
        hWnd = wnd.m_hWnd;
    }
    EXPECT_FALSE(IsWindow(hWnd));
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hWnd));
}

TEST(WndHandles, TemporaryObjectsOfDeadWindowsArePrunedWhenTheLoopIdles)
{
    CWnd owner;
    ASSERT_TRUE(CreatePopup(owner));
    HWND child = CreatePlainChild(owner.m_hWnd);
    AfxPruneTempObjects();
    CWnd::FromHandle(child);
    const size_t before = AfxGetThreadState().temporaries.size();
    ::DestroyWindow(child);
    AfxPruneTempObjects();
    EXPECT_EQ(before - 1, AfxGetThreadState().temporaries.size());
    owner.DestroyWindow();
}

TEST(WndHandles, CreateFailsWithoutTheClassAndLeavesNoHandle)
{
    CCountingWnd wnd;
    EXPECT_FALSE(wnd.CreateEx(0, "NoSuchClass", "x", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    EXPECT_EQ(nullptr, wnd.m_hWnd);
}
