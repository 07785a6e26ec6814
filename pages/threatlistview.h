#pragma once
// The threat list of the result, quarantine and ignore list pages: a child
// browser page (template 157, HTML resource 158) showing a threat
// collection, one row per threat with an expander, a check box and the
// threat's items. The page's script functions are the list's own, written
// here and registered by name, so both the page's onclick handlers and the
// program's calls (GetCheckBoxState, RemoveThreat, SetAllCheckboxState)
// reach them.
//
//   CThreatListView list(IDD_THREAT_LIST, IDR_THREAT_LIST, this);
//   list.CreateModeless();
//   list.BuildHtml(results, TRUE, 1);     // every threat collapsed
//   if (list.GetCheckBoxState(id) == 1) ...

#include "engine/mothtrap.h"
#include "ui/htmldialogbase.h"
#include "ui/webpagescript.h"

class CThreatListView : public CHtmlDialogBase
{
public:
    CThreatListView(UINT templateId, UINT htmlResourceId, CWnd* parent);
    ~CThreatListView() override;

    // Renders the collection, threats whose first item the database knows
    // first (checked), then the others (unchecked), each group in the
    // collection's order; mode 1 shows every threat collapsed, any other
    // mode expanded. With updateData the page shows it at once, otherwise
    // when it next loads. Nothing happens for a null collection. A failing
    // read of a threat or an item raises _com_error and leaves the list as
    // it was.
    void BuildHtml(IThreatCollection* threats, BOOL updateData, int mode);
    // 1 checked, 0 unchecked or no such threat on the page, -1 when the
    // page could not be asked.
    int GetCheckBoxState(int threatId);
    // Hides the threat's rows and unchecks it; whether the page was asked.
    BOOL RemoveThreat(int threatId);
    // Checks or unchecks every threat still shown.
    void SetAllCheckboxState(BOOL check);
    // An empty list, shown at once.
    void Clear();

    // Some item of the collection last built is neither known to the
    // database nor ignored.
    BYTE HasUnknownItem() const { return m_bHasUnknownItem; }
    // The fragment last built (what the element "content" holds).
    const CString& GetHtml() const { return m_strHtml; }
    // The last failed page call's text ("JSCall Error:\n...").
    CString GetScriptError() const { return m_script.GetLastError(); }

    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void OnDocumentComplete(LPDISPATCH pDisp, LPCSTR szUrl) override;

private:
    void RegisterPageFunctions();

    CWebPageScript m_script;
    CString m_strHtml;
    BYTE m_bHasUnknownItem;
};
