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
    // Whether the group takes the item (reads its Type).
    typedef bool (*ItemFilter)(ISearchItem* item);

    // Keeps the threat's items that the filter takes, in the threat's order.
    CItemGroupNode(IThreat* threat, ItemFilter filter);
    ~CItemGroupNode() override;

    // The items table: one row per item (indent, icon, text).
    void Render(CString& out) override;

    virtual BOOL IsEmpty() const;
    // Not shown: the list prints only the items.
    virtual void GetTitle(CString& out) = 0;
    // The item's text, made safe for markup.
    virtual void GetItemText(CString& out, ISearchItem* item) = 0;
    virtual void GetIcon(CString& out);

protected:
    // The item's DisplayName.
    static void GetDisplayName(CString& out, ISearchItem* item);

    std::vector<CComPtr<ISearchItem>> m_items;
};

class CProcessItemsNode : public CItemGroupNode
{
public:
    explicit CProcessItemsNode(IThreat* threat);
    void GetId(CString& out) override;
    void GetTitle(CString& out) override;
    void GetItemText(CString& out, ISearchItem* item) override;
    void GetIcon(CString& out) override;
};

// Registry and guarded registry items.
class CRegistryItemsNode : public CItemGroupNode
{
public:
    explicit CRegistryItemsNode(IThreat* threat);
    void GetId(CString& out) override;
    void GetTitle(CString& out) override;
    void GetItemText(CString& out, ISearchItem* item) override;
    void GetIcon(CString& out) override;
};

// Files of either disk scan, and cookies.
class CFileItemsNode : public CItemGroupNode
{
public:
    explicit CFileItemsNode(IThreat* threat);
    void GetId(CString& out) override;
    void GetTitle(CString& out) override;
    void GetItemText(CString& out, ISearchItem* item) override;
    void GetIcon(CString& out) override;
};

// Host names of the hosts file, each shown as "name [address]".
class CHostsItemsNode : public CItemGroupNode
{
public:
    explicit CHostsItemsNode(IThreat* threat);
    void GetId(CString& out) override;
    void GetTitle(CString& out) override;
    void GetItemText(CString& out, ISearchItem* item) override;
    void GetIcon(CString& out) override;
};
