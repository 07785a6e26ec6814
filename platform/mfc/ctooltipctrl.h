#pragma once
// The tooltip control. Its window is a popup owned by the window it serves;
// the owner relays its mouse messages to it (RelayEvent) so that it knows
// when to show a tip.

#include "platform/mfc/cwnd.h"

#include <commctrl.h>

class CToolTipCtrl : public CWnd
{
    DECLARE_DYNAMIC(CToolTipCtrl)

public:
    // The tooltip window, owned by pParentWnd; dwStyle adds TTS_ styles.
    BOOL Create(CWnd* pParentWnd, DWORD dwStyle = 0);

    void RelayEvent(LPMSG lpMsg);
    // Tips wider than this many pixels wrap; returns the previous width.
    int SetMaxTipWidth(int iWidth);
    int GetMaxTipWidth() const;
    // A tool for the whole window pWnd (nIDTool 0) or for a rectangle of it.
    BOOL AddTool(CWnd* pWnd, LPCSTR lpszText = LPSTR_TEXTCALLBACKA, LPCRECT lpRectTool = nullptr,
                 UINT_PTR nIDTool = 0);
    void DelTool(CWnd* pWnd, UINT_PTR nIDTool = 0);
    void UpdateTipText(LPCSTR lpszText, CWnd* pWnd, UINT_PTR nIDTool = 0);
    // The tool's text, read into a bounded buffer; empty for an unknown tool.
    void GetText(CString& str, CWnd* pWnd, UINT_PTR nIDTool = 0) const;
    int GetToolCount() const;
    void Activate(BOOL bActivate);
    void SetDelayTime(UINT nDelay);
    void Pop();

    // Longest tip text GetText reads, terminator excluded.
    enum { MaxTextLength = 4095 };

private:
    void FillToolInfo(TTTOOLINFOA& info, CWnd* pWnd, UINT_PTR nIDTool) const;
};
