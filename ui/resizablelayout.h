#pragma once
// The layout part of the resizable dialog: a list of child controls, each
// anchored to points of the dialog's client area, re-placed together when
// the dialog is resized, and left out of the background erase where that is
// safe. The program anchors no control, so the list stays empty and
// resizing moves nothing; the machinery is complete for a dialog that does.

#include "platform/mfc/afxwin.h"

#include <string>
#include <vector>

class CResizableLayout
{
public:
    virtual ~CResizableLayout() = default;

protected:
    // One laid-out control: its window, its class, and for each corner the
    // anchor (in percent of the client area's width and height) and the
    // distance from that anchor.
    struct LayoutInfo
    {
        HWND hWnd;
        std::string windowClass;
        SIZE anchorTopLeft;
        SIZE marginTopLeft;
        SIZE anchorBottomRight;
        SIZE marginBottomRight;
    };

    // Whether the control may be left out of the dialog's background erase:
    // not a transparent tool bar, a group box, or a static control whose
    // centred image leaves background showing.
    virtual BOOL CanClipControl(const LayoutInfo& info) const;
    // Whether the control must be repainted after a move: static text and
    // bitmaps, and centred images.
    virtual BOOL NeedsRepaint(const LayoutInfo& info) const;
    // The rectangle the anchors refer to: the dialog's client area.
    virtual void GetLayoutClientRect(LPRECT lpRect) const;
    // Custom placement of one control; FALSE leaves it to the anchors.
    virtual BOOL ArrangeLayoutCallback(LayoutInfo& info, LPRECT lpNewRect) const;
    // The window whose children are laid out.
    virtual CWnd* GetLayoutWindow() const = 0;

    // Anchors a child control; anchors are percentages (0..100) of the
    // client area, the margins are taken from where the control is now.
    void AddAnchor(HWND hWnd, CSize anchorTopLeft, CSize anchorBottomRight);
    // Re-places every listed control in one deferred pass.
    void ArrangeLayout() const;
    // Excludes the visible listed controls that may be clipped from the
    // DC's clip region.
    void ClipChildren(CDC* pDC) const;
    void RemoveAllAnchors() { m_layout.clear(); }
    size_t GetAnchorCount() const { return m_layout.size(); }

private:
    CRect NewRect(const LayoutInfo& info, const CRect& client) const;

    std::vector<LayoutInfo> m_layout;
};
