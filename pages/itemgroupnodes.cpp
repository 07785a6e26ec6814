#include "pages/itemgroupnodes.h"

namespace {

const char kItemRow[] =
    "<tr>\n"
    " \t<td width=\"10\"><img src=\"white.gif\" width=\"10\" height=\"1\"></td>\n"
    " \t<td width=\"21\"><img src=\"%s\" width=\"21\" height=\"21\"></td>\n"
    " \t<td><nobr>%s</nobr></td>\n"
    " </tr>\n";

ScanAreaType TypeOf(ISearchItem* item)
{
    ScanAreaType type = saMaxAreaNumber;
    CheckHResult(item->get_Type(&type));
    return type;
}

bool IsProcess(ISearchItem* item)
{
    return TypeOf(item) == saProcesses;
}

bool IsRegistry(ISearchItem* item)
{
    const ScanAreaType type = TypeOf(item);
    return type == saRegistry || type == saGuardedRegistry;
}

bool IsFile(ISearchItem* item)
{
    const ScanAreaType type = TypeOf(item);
    return type == saQuickDisk || type == saFullDisk || type == saCookies;
}

bool IsHost(ISearchItem* item)
{
    return TypeOf(item) == saHosts;
}

}  // namespace

CItemGroupNode::CItemGroupNode(IThreat* threat, ItemFilter filter) : CThreatHtmlNode(threat)
{
    LONG count = 0;
    CheckHResult(threat->get_Count(&count));
    for (LONG j = 0; j < count; ++j)
    {
        CComPtr<ISearchItem> item;
        CheckHResult(threat->get_Item(j, &item));
        if (item && filter(item))
            m_items.push_back(item);
    }
}

CItemGroupNode::~CItemGroupNode() = default;

BOOL CItemGroupNode::IsEmpty() const
{
    return m_items.empty();
}

void CItemGroupNode::GetIcon(CString& out)
{
    out = "item.gif";
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

void CItemGroupNode::GetDisplayName(CString& out, ISearchItem* item)
{
    CComBSTR name;
    CheckHResult(item->get_DisplayName(&name));
    AppendHtmlText(out, name);
}

CProcessItemsNode::CProcessItemsNode(IThreat* threat) : CItemGroupNode(threat, &IsProcess) {}

void CProcessItemsNode::GetId(CString& out)
{
    out.Format("processitems%d", static_cast<int>(m_nThreatId));
}

void CProcessItemsNode::GetTitle(CString& out)
{
    out = "Processes list";
}

void CProcessItemsNode::GetItemText(CString& out, ISearchItem* item)
{
    GetDisplayName(out, item);
}

void CProcessItemsNode::GetIcon(CString& out)
{
    out = "process.gif";
}

CRegistryItemsNode::CRegistryItemsNode(IThreat* threat) : CItemGroupNode(threat, &IsRegistry) {}

void CRegistryItemsNode::GetId(CString& out)
{
    out.Format("regitems%d", static_cast<int>(m_nThreatId));
}

void CRegistryItemsNode::GetTitle(CString& out)
{
    out = "Registry Items";
}

void CRegistryItemsNode::GetItemText(CString& out, ISearchItem* item)
{
    GetDisplayName(out, item);
}

void CRegistryItemsNode::GetIcon(CString& out)
{
    out = "registry.gif";
}

CFileItemsNode::CFileItemsNode(IThreat* threat) : CItemGroupNode(threat, &IsFile) {}

void CFileItemsNode::GetId(CString& out)
{
    out.Format("fileitems%d", static_cast<int>(m_nThreatId));
}

void CFileItemsNode::GetTitle(CString& out)
{
    out = "Filesystem Objects";
}

void CFileItemsNode::GetItemText(CString& out, ISearchItem* item)
{
    GetDisplayName(out, item);
}

void CFileItemsNode::GetIcon(CString& out)
{
    out = "files.gif";
}

CHostsItemsNode::CHostsItemsNode(IThreat* threat) : CItemGroupNode(threat, &IsHost) {}

void CHostsItemsNode::GetId(CString& out)
{
    out.Format("hostsitems%d", static_cast<int>(m_nThreatId));
}

void CHostsItemsNode::GetTitle(CString& out)
{
    out = "Hijacked Domains";
}

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

void CHostsItemsNode::GetIcon(CString& out)
{
    out = "hosts.gif";
}
