#pragma once
// The item groups of a threat's details block: the items of one kind
// (processes, registry, files and cookies, hosts), each on a row with the
// group's icon and the item's text. CThreatNode makes them and keeps those
// that are not empty.

#include "pages/threatnode.h"
#include "platform/atl/atlbase.h"

#include <vector>

class CItemGroupNode : public CThreatHtmlNode
{
public:
    // What sets a group apart: the items it takes (by their Type), its icon,
    // the format of its element id (with the threat id) and its title.
    struct Kind
    {
        bool (*takes)(ScanAreaType type);
        const char* icon;
        const char* idFormat;
        const char* title;
    };

    // Keeps the threat's items of the kind, in the threat's order.
    CItemGroupNode(IThreat* threat, const Kind& kind);
    ~CItemGroupNode() override;

    // The items table: one row per item (indent, icon, text).
    void Render(CString& out) override;
    void GetId(CString& out) override;

    virtual BOOL IsEmpty() const;
    // Not shown: the list prints only the items.
    virtual void GetTitle(CString& out);
    // The item's text made safe for markup: its DisplayName.
    virtual void GetItemText(CString& out, ISearchItem* item);
    virtual void GetIcon(CString& out);

protected:
    const Kind& m_kind;
    std::vector<CComPtr<ISearchItem>> m_items;
};

class CProcessItemsNode : public CItemGroupNode
{
public:
    explicit CProcessItemsNode(IThreat* threat);
};

// Registry and guarded registry items.
class CRegistryItemsNode : public CItemGroupNode
{
public:
    explicit CRegistryItemsNode(IThreat* threat);
};

// Files of either disk scan, and cookies.
class CFileItemsNode : public CItemGroupNode
{
public:
    explicit CFileItemsNode(IThreat* threat);
};

// Host names of the hosts file, each shown as "name [address]".
class CHostsItemsNode : public CItemGroupNode
{
public:
    explicit CHostsItemsNode(IThreat* threat);
    void GetItemText(CString& out, ISearchItem* item) override;
};
