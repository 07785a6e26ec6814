#include "pages/itemgroupnodes.h"

namespace {

const char kItemRow[] =
    "<tr>\n"
    " \t<td width=\"10\"><img src=\"white.gif\" width=\"10\" height=\"1\"></td>\n"
    " \t<td width=\"21\"><img src=\"%s\" width=\"21\" height=\"21\"></td>\n"
    " \t<td><nobr>%s</nobr></td>\n"
    " </tr>\n";

const CItemGroupNode::Kind kProcesses = {[](ScanAreaType t) { return t == saProcesses; }, "process.gif",
                                         "processitems%d", "Processes list"};
const CItemGroupNode::Kind kRegistry = {[](ScanAreaType t) { return t == saRegistry || t == saGuardedRegistry; },
                                        "registry.gif", "regitems%d", "Registry Items"};
const CItemGroupNode::Kind kFiles = {
    [](ScanAreaType t) { return t == saQuickDisk || t == saFullDisk || t == saCookies; }, "files.gif",
    "fileitems%d", "Filesystem Objects"};
const CItemGroupNode::Kind kHosts = {[](ScanAreaType t) { return t == saHosts; }, "hosts.gif", "hostsitems%d",
                                     "Hijacked Domains"};

}  // namespace

CItemGroupNode::CItemGroupNode(IThreat* threat, const Kind& kind) : CThreatHtmlNode(threat), m_kind(kind)
{
    LONG count = 0;
    CheckHResult(threat->get_Count(&count));
    for (LONG j = 0; j < count; ++j)
    {
        CComPtr<ISearchItem> item;
        CheckHResult(threat->get_Item(j, &item));
        ScanAreaType type = saMaxAreaNumber;
        if (item)
            CheckHResult(item->get_Type(&type));
        if (item && m_kind.takes(type))
            m_items.push_back(item);
    }
}

CItemGroupNode::~CItemGroupNode() = default;

BOOL CItemGroupNode::IsEmpty() const
{
    return m_items.empty();
}

void CItemGroupNode::GetId(CString& out)
{
    out.Format(m_kind.idFormat, static_cast<int>(m_nThreatId));
}

void CItemGroupNode::GetTitle(CString& out)
{
    out = m_kind.title;
}

void CItemGroupNode::GetIcon(CString& out)
{
    out = m_kind.icon;
}

void CItemGroupNode::GetItemText(CString& out, ISearchItem* item)
{
    CComBSTR name;
    CheckHResult(item->get_DisplayName(&name));
    AppendHtmlText(out, name, true);
}

void CItemGroupNode::Render(CString& out)
{
    out += "<table cellspacing=\"0\" cellpadding=\"2\" border=\"0\" class=\"itemsTable\">\n";
    CString icon, text;
    GetIcon(icon);
    for (const CComPtr<ISearchItem>& item : m_items)
    {
        text.Empty();
        GetItemText(text, item);
        out.AppendFormat(kItemRow, icon.GetString(), text.GetString());
    }
    out += "</table>\n";
}

CProcessItemsNode::CProcessItemsNode(IThreat* threat) : CItemGroupNode(threat, kProcesses) {}

CRegistryItemsNode::CRegistryItemsNode(IThreat* threat) : CItemGroupNode(threat, kRegistry) {}

CFileItemsNode::CFileItemsNode(IThreat* threat) : CItemGroupNode(threat, kFiles) {}

CHostsItemsNode::CHostsItemsNode(IThreat* threat) : CItemGroupNode(threat, kHosts) {}

void CHostsItemsNode::GetItemText(CString& out, ISearchItem* item)
{
    CComBSTR name, value;
    CheckHResult(item->get_ItemName(&name));
    CheckHResult(item->get_ItemValue(&value));
    AppendHtmlText(out, name);
    out += " [";
    AppendHtmlText(out, value);
    out += "]";
}
