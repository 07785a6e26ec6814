#include "pages/systeminfolist.h"

#include "resources/pages/helpids.h"
#include "ui/htmlelement.h"
#include "ui/toutf8html.h"

namespace {

const char kTableEnd[] = "</TABLE>";

} // namespace

CSystemInfoList::CSystemInfoList(CWnd* pParent)
    : CHTMLayoutView(IDC_HELP_SYSINFO_LIST, IDR_HELP_SYSINFO_HTML, pParent), m_nRows(0), m_nNextId(1)
{
    Reset();
}

void CSystemInfoList::Reset()
{
    m_strTable = "<TABLE id=\"mainTable\" cellspacing=\"0\" cellpadding=\"6\" border=\"0\" width=\"100%\">";
    m_strTable += kTableEnd;
    m_nRows = 0;
}

BOOL CSystemInfoList::AddSection(CString text)
{
    // The sections begin with blank lines to part them in a plain text;
    // the table parts its rows itself.
    text.Trim("\r\n");
    ToUtf8Html(text);
    text.Replace("\r\n", "<br>");
    CString row;
    row.Format("<div id=\"row%d\" class=\"usual\"><font class=\"eventTitle\">%s</font></div>", m_nNextId++,
               text.GetString());
    return AddRow(row);
}

BOOL CSystemInfoList::AddRow(const CString& html)
{
    if (m_nRows >= kMaxRows)
        RemoveFirstRow();
    const int end = m_strTable.Find(kTableEnd);
    if (end <= 0)
        return FALSE;
    CString row;
    row.Format("<TR class=\"outer\"><TD class=\"outer\">%s</TD></TR>", html.GetString());
    m_strTable.Insert(end, row);
    ShowContent();
    ++m_nRows;
    return TRUE;
}

void CSystemInfoList::RemoveFirstRow()
{
    const int begin = m_strTable.Find("<TR");
    const int end = m_strTable.Find("</TR>");
    if (begin > 0 && end > begin)
        m_strTable.Delete(begin, end + 5 - begin);
    if (m_nRows > 0)
        --m_nRows;
}

void CSystemInfoList::ShowContent()
{
    if (!m_hWnd)
        return;
    CHtmlElement root(CHtmlElement::GetRootElement(m_hWnd));
    CHtmlElement content(root.GetElementById("content"));
    content.SetHtml(reinterpret_cast<const BYTE*>(m_strTable.GetString()),
                    static_cast<DWORD>(m_strTable.GetLength()), 0);
    root.Update(true);
}
