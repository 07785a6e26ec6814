// Shows the HTML window classes together, the way the scan and help pages
// use them, so that a person can look at them (scripts/screenshot): the scan
// animation playing in its static control, the sample threat list in an HTML
// layout view over the program's threat list page, and a system-information
// list filled row by row as the help page fills it. Ends by itself after the
// seconds given on the command line (default 30).

#include "platform/html/htmlview.h"
#include "platform/html/resourceuri.h"
#include "platform/mfc/afxwin.h"
#include "tests/platform/html/threatlist_functions.h"
#include "tests/ui/res/htmlviews_ids.h"
#include "ui/animatedpicture.h"
#include "ui/htmlayoutview.h"
#include "ui/htmlelement.h"
#include "ui/toutf8html.h"

#include <stdlib.h>

namespace {

const UINT kThreatListPage = 158;
const UINT kSystemInfoPage = 128;
const UINT_PTR kEndTimer = 1;

// Puts UTF-8 HTML into the element "content" of a view and shows it.
void ShowContent(CHTMLayoutCtrl& view, const char* html, DWORD length)
{
    CHtmlElement root(CHtmlElement::GetRootElement(view.m_hWnd));
    CHtmlElement content(root.GetElementById("content"));
    content.SetHtml(reinterpret_cast<const BYTE*>(html), length, SIH_REPLACE_CONTENT);
    root.Update(true);
}

class CDemoDialog : public CDialog
{
public:
    explicit CDemoDialog(UINT seconds)
        : CDialog(IDD_HTMLDEMO), m_seconds(seconds), m_threats(IDC_HTML, kThreatListPage, this),
          m_systemInfo(IDC_SYSINFO, kSystemInfoPage, this)
    {
    }

    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        SetWindowPos(nullptr, 30, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER);

        m_animation.SubclassDlgItem(IDC_ANIMATION, this);
        m_animation.LoadFromResource(MAKEINTRESOURCEA(172), "ANIMATED_GIF");
        m_animation.SetBackgroundColor(RGB(255, 255, 255));
        m_animation.Start();

        CRect client;
        GetClientRect(client);
        CRect left(10, 70, client.Width() * 3 / 5, client.bottom - 10);
        CRect right(left.right + 10, left.top, client.right - 10, left.bottom);

        // The threat list page with its functions, filled with the sample
        // list as the threat list view renders it.
        m_threats.CreateChild(left);
        RegisterThreatListFunctions(CHtmlView::FromWindow(m_threats.m_hWnd)->Script());
        const BYTE* sample = nullptr;
        DWORD size = 0;
        if (LoadResourceBytes(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_THREATS_SAMPLE), MAKEINTRESOURCEA(23),
                              &sample, &size))
            ShowContent(m_threats, reinterpret_cast<const char*>(sample), size);
        m_threats.ShowWindow(SW_SHOW);

        // The help page's list: sections escaped into rows of one table.
        m_systemInfo.CreateChild(right);
        const char* sections[] = {"Operating system: Windows 6.1 (build 7601)",
                                  "Folders: C:\\Windows; C:\\Windows\\system32",
                                  "Processor: 8 \xD7 x86 Family 6, 2400 MHz",
                                  "Memory: 4,194,304 KB total, 2,097,152 KB free",
                                  "Resolution: 1024 \xD7 768, 32 bits",
                                  "Discs: C:\\ NTFS 80 GB (41 GB free) <system>"};
        CString markup("<TABLE id=\"mainTable\" cellspacing=\"0\" cellpadding=\"6\" border=\"0\" width=\"100%\">");
        int id = 1000;
        for (const char* section : sections)
        {
            CString text(section);
            ToUtf8Html(text);
            markup.AppendFormat("<TR class=\"outer\"><TD class=\"outer\"><div id =\"%d\" class=\"usual\">"
                                "<font class=\"eventTitle\">%s</font></div></TD></TR>",
                                id++, text.GetString());
        }
        markup += "</TABLE>";
        ShowContent(m_systemInfo, markup, markup.GetLength());
        m_systemInfo.ShowWindow(SW_SHOW);

        ShowWindow(SW_SHOW);
        SetTimer(kEndTimer, m_seconds * 1000, nullptr);
        return TRUE;
    }

protected:
    afx_msg void OnTimer(UINT_PTR) { EndDialog(IDOK); }
    afx_msg void OnDestroy()
    {
        m_animation.UnsubclassWindow();
        CDialog::OnDestroy();
    }
    DECLARE_MESSAGE_MAP()

private:
    UINT m_seconds;
    CAnimatedPicture m_animation;
    CHTMLayoutView m_threats;
    CHTMLayoutView m_systemInfo;
};

BEGIN_MESSAGE_MAP(CDemoDialog, CDialog)
    ON_WM_TIMER()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

class CDemoApp : public CWinApp
{
public:
    BOOL InitInstance() override
    {
        const int seconds = m_lpCmdLine && *m_lpCmdLine ? atoi(m_lpCmdLine) : 30;
        CDemoDialog dialog(seconds > 0 ? static_cast<UINT>(seconds) : 30);
        m_pMainWnd = &dialog;
        dialog.DoModal();
        return FALSE;
    }
};

CDemoApp theApp;

} // namespace
