#pragma once
// The help page's system-information list: an HTML layout view (page 128)
// whose element "content" holds one table, a row per section of text. It
// keeps at most kMaxRows rows: a new row beyond them pushes the oldest out.
//
//   CSystemInfoList list(this);
//   list.CreateChild(rect);
//   list.AddSection(CSystemInfo::Collect("OS"));

#include "ui/htmlayoutview.h"

class CSystemInfoList : public CHTMLayoutView
{
public:
    static constexpr int kMaxRows = 20;

    explicit CSystemInfoList(CWnd* pParent);

    // An empty table.
    void Reset();
    // Plain text, escaped and shown as one row; its line breaks stay.
    BOOL AddSection(CString text);
    // A row of ready HTML (UTF-8); FALSE when the table is not there.
    BOOL AddRow(const CString& html);
    void RemoveFirstRow();
    // Puts the table into the page's "content" element and redraws it.
    void ShowContent();

    int GetRowCount() const { return m_nRows; }
    const CString& GetMarkup() const { return m_strTable; }

private:
    CString m_strTable;
    int m_nRows;
    int m_nNextId;
};
