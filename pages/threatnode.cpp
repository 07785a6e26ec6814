#include "pages/threatnode.h"

#include "pages/itemgroupnodes.h"
#include "platform/atl/atlbase.h"

namespace {

// Threat id, expander picture, details id, threat id, "" (the bold element
// stays empty), name, details id, display.
const char kUncheckedHeader[] =
    "<table id=\"threat%d\" cellspacing=\"0\" cellpadding=\"1\" border=\"0\" class=\"threatName\">\n"
    " <tr>\n"
    " \t<td><img src=\"%s\" onclick=\"ToggleLayerVisibility(this, '%s');\" height=\"9\" width=\"9\"></td>\n"
    " \t<td><img src=\"unchecked.gif\" onclick=\"ToggleCheckbox(this);\" hspace=\"5\" height=\"11\" width=\"11\" "
    "class=\"checkbox\" id=\"checkbox%d\"></td>\n"
    " \t<td ><b>%s</b>%s</td>\n"
    " </tr>\n"
    " </table>\n"
    " <div id=\"%s\" style=\"display:%s\">\n";

const char kCheckedHeader[] =
    "<table id=\"threat%d\" cellspacing=\"0\" cellpadding=\"1\" border=\"0\" class=\"threatName\" >\n"
    " <tr>\n"
    " \t<td><img src=\"%s\" onclick=\"ToggleLayerVisibility(this, '%s');\" height=\"9\" width=\"9\"></td>\n"
    " \t<td><img src=\"checked.gif\" onclick=\"ToggleCheckbox(this);\" hspace=\"5\" height=\"11\" width=\"11\" "
    "class=\"checkbox\" id=\"checkbox%d\"></td>\n"
    " \t<td><b>%s</b>%s</td>\n"
    " </tr>\n"
    " </table>\n"
    " <div id=\"%s\" style=\"display:%s\">\n";

void AppendReference(CString& out, unsigned codePoint)
{
    out.AppendFormat("&#%u;", codePoint);
}

}  // namespace

CThreatHtmlNode::CThreatHtmlNode(IThreat* threat) : m_nThreatId(0), m_pThreat(threat)
{
    CheckHResult(threat ? threat->get_ID(&m_nThreatId) : E_POINTER);
}

CThreatHtmlNode::~CThreatHtmlNode() = default;

void CThreatHtmlNode::GetExpanderImage(CString& out, BOOL expanded)
{
    out = expanded ? "minus.gif" : "plus.gif";
}

void CThreatHtmlNode::AppendHtmlText(CString& out, BSTR text, bool pathBreaks)
{
    const UINT length = ::SysStringLen(text);
    for (UINT i = 0; i < length; ++i)
    {
        const wchar_t c = text[i];
        switch (c)
        {
        case L'&': out += "&amp;"; continue;
        case L'<': out += "&lt;"; continue;
        case L'>': out += "&gt;"; continue;
        case L'"': out += "&quot;"; continue;
        case L'\'': out += "&#39;"; continue;
        case L'\\': out += pathBreaks ? "\\<wbr>" : "\\"; continue;
        case L'\0': continue;
        default: break;
        }
        if (c >= 0x20 && c < 0x7F)
            out += static_cast<char>(c);
        else if (c >= 0xD800 && c < 0xDC00 && i + 1 < length && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000)
        {
            AppendReference(out, 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        }
        else if (c >= 0xD800 && c < 0xE000)
            AppendReference(out, 0xFFFD);  // half a pair
        else
            AppendReference(out, c);
    }
}

CThreatNode::CThreatNode(IThreat* threat, BOOL collapsed, BOOL known)
    : CThreatHtmlNode(threat), m_bCollapsed(collapsed ? 1 : 0), m_bKnown(known ? 1 : 0)
{
}

CThreatNode::~CThreatNode() = default;

void CThreatNode::GetId(CString& out)
{
    out.Format("details%d", static_cast<int>(m_nThreatId));
}

void CThreatNode::Render(CString& out)
{
    CComBSTR rawName;
    CheckHResult(m_pThreat->get_Name(&rawName));
    CString name, expander, details;
    AppendHtmlText(name, rawName);
    GetExpanderImage(expander, !m_bCollapsed);
    GetId(details);
    const int id = static_cast<int>(m_nThreatId);
    out.Format(m_bKnown ? kCheckedHeader : kUncheckedHeader, id, expander.GetString(), details.GetString(), id, "",
               name.GetString(), details.GetString(), m_bCollapsed ? "none" : "block");

    m_groups.clear();
    std::unique_ptr<CItemGroupNode> groups[] = {
        std::make_unique<CProcessItemsNode>(m_pThreat), std::make_unique<CRegistryItemsNode>(m_pThreat),
        std::make_unique<CFileItemsNode>(m_pThreat), std::make_unique<CHostsItemsNode>(m_pThreat)};
    for (auto& group : groups)
        if (!group->IsEmpty())
            m_groups.push_back(std::move(group));

    CString scratch;
    scratch.GetBuffer(4096);
    for (auto& group : m_groups)
    {
        scratch.Empty();
        group->Render(scratch);
        out += scratch;
    }
    out += "</div>\n";
    m_groups.clear();
}
