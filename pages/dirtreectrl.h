#pragma once
// A tree of drives and folders with three-state check boxes, filled as the
// user opens it. It is preset with folder paths, shows them checked and
// their ancestors partly checked as their items appear, and reads the
// choice back as a list of folder paths. Paths compare without case, at a
// "\" boundary; a checked folder stands for everything below it, so the
// list never holds a folder together with one inside it.
//
// The check state is kept in each item's data; the box only shows it. A
// click on a box sets the box itself and answers the click as handled, so
// the tree view's own turning of the box (which differs between systems)
// changes nothing.

#include "platform/mfc/cstringarray.h"
#include "platform/mfc/ctreectrl.h"

class CDirTreeCtrl : public CTreeCtrl
{
public:
    // Item data flags.
    enum { FlagChecked = 1, FlagPartial = 2, FlagFilled = 4 };
    // State images: 1 unchecked, 2 checked, 3 partly checked.
    enum { StateUnchecked = 1, StateChecked = 2, StatePartial = 3, StateImageSize = 18 };
    // MatchPath results.
    enum { MatchChosen = 1, MatchAbove = 2, MatchNone = 3 };

    CDirTreeCtrl();
    ~CDirTreeCtrl() override;

    // Adds the paths to the folder list; before Init.
    void SetCheckedFolders(const CStringArray& folders);
    // Fills the drives, with the state pictures of the bitmap resource.
    void Init(UINT bitmapId);
    // Reads the choice: the preset folders no item has shown (less those
    // under an unchecked drive) and every checked item.
    void CollectChecked();
    // The last choice collected.
    void GetFolders(CStringArray& out) const;
    void ReleaseStateImages();

    CString GetItemPath(HTREEITEM item) const;
    // The drive of a root item's text: "System(C:)" and "C:" give "C:".
    static CString DriveOfRootText(const CString& text);
    // TRUE when path names the folder or one inside it.
    static bool IsAtOrUnder(const CString& path, const CString& folder);
    static bool HasSubFolders(const CString& path);
    // Keeps the first of equal entries and drops entries inside another one.
    static void Normalise(CStringArray& folders);

    int MatchPath(const CString& path);
    void UpdateItemCheck(const CString& path, HTREEITEM item);
    void ExpandItem(HTREEITEM item, const CString& path);
    // What a click on the item's box does: the item, the items below and
    // the items above take the new state (TRUE checked).
    void ToggleItem(HTREEITEM item);

    int GetStateImage(HTREEITEM item) const;
    void SetStateImage(HTREEITEM item, int image);
    // The preset folders that no item has shown yet.
    const CStringArray& GetFolderList() const { return m_folders; }

protected:
    afx_msg void OnItemExpanding(NMHDR* pNotify, LRESULT* pResult);
    afx_msg void OnItemExpanded(NMHDR* pNotify, LRESULT* pResult);
    afx_msg void OnClick(NMHDR* pNotify, LRESULT* pResult);
    afx_msg void OnKeyDown(NMHDR* pNotify, LRESULT* pResult);
    afx_msg LRESULT OnShowStates(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

private:
    HTREEITEM InsertFolderItem(const CString& text, const CString& path, HTREEITEM parent);
    void AddPlaceholder(HTREEITEM item);
    void DeleteChildren(HTREEITEM item);
    void SetFlags(HTREEITEM item, DWORD flags, int image);
    void SetSubtree(HTREEITEM item, bool checked);
    void UpdateParents(HTREEITEM item, bool checked);
    // Drops the list's entries at or under the path.
    void DropFolders(const CString& path);
    void VisitChecked(HTREEITEM parent);
    // The boxes of the whole tree set again from the items' data.
    void ShowStates(HTREEITEM parent);

    HIMAGELIST m_hSystemImages;
    CImageList m_stateImages;
    CStringArray m_folders;
    CStringArray m_collected;
};
