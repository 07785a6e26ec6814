#pragma once
// One row of the threat list as HTML: CThreatNode writes a threat's header
// (expander, check box, name) and its details block, which holds one item
// group (itemgroupnodes.h) per kind of item the threat has. The element ids
// are "threat<id>", "checkbox<id>" and "details<id>", the ones the list's
// script functions look up. The reads of the threat and its items raise
// _com_error on failure; the caller keeps the threat alive while rendering.
//
//   CThreatNode node(threat, TRUE /*collapsed*/, TRUE /*known*/);
//   CString row;
//   node.Render(row);

#include "engine/mothtrap.h"
#include "platform/mfc/cstring.h"

#include <memory>
#include <vector>

class CItemGroupNode;

class CThreatHtmlNode
{
public:
    // Reads the threat's ID.
    explicit CThreatHtmlNode(IThreat* threat);
    virtual ~CThreatHtmlNode();

    virtual void Render(CString& out) = 0;
    // The id of the node's element on the page.
    virtual void GetId(CString& out) = 0;
    // "minus.gif" when expanded, else "plus.gif".
    virtual void GetExpanderImage(CString& out, BOOL expanded);

    // Text from the scanned machine, made safe for markup: & < > " ' become
    // references, and so do characters outside ASCII and control characters,
    // so any name shows as it is and none is read as markup. pathBreaks puts
    // a <wbr> after each backslash: a long path breaks its line there.
    static void AppendHtmlText(CString& out, BSTR text, bool pathBreaks = false);

protected:
    ULONG m_nThreatId;
    IThreat* m_pThreat;  // not counted

    CThreatHtmlNode(const CThreatHtmlNode&) = delete;
    CThreatHtmlNode& operator=(const CThreatHtmlNode&) = delete;
};

class CThreatNode : public CThreatHtmlNode
{
public:
    // known: the check box starts checked.
    CThreatNode(IThreat* threat, BOOL collapsed, BOOL known);
    ~CThreatNode() override;

    // Header table, then the details block with the item groups.
    void Render(CString& out) override;
    // "details<id>".
    void GetId(CString& out) override;

private:
    std::vector<std::unique_ptr<CItemGroupNode>> m_groups;
    BYTE m_bCollapsed;
    BYTE m_bKnown;
};
