#include "pages/dirtreectrl.h"

#include "platform/mfc/cwaitcursor.h"

#include <shellapi.h>

#include <algorithm>
#include <vector>

BEGIN_MESSAGE_MAP(CDirTreeCtrl, CTreeCtrl)
    ON_NOTIFY_REFLECT(TVN_ITEMEXPANDINGA, OnItemExpanding)
    ON_NOTIFY_REFLECT(TVN_ITEMEXPANDEDA, OnItemExpanded)
    ON_NOTIFY_REFLECT(NM_CLICK, OnClick)
    ON_NOTIFY_REFLECT(TVN_KEYDOWN, OnKeyDown)
    ON_MESSAGE(WM_APP + 0x31, OnShowStates)
END_MESSAGE_MAP()

namespace {

// Sets the boxes again once the tree view has finished with a click or key.
const UINT WM_SHOW_STATES = WM_APP + 0x31;

CString WithBackslash(const CString& path)
{
    return path.Right(1) == "\\" ? path : path + "\\";
}

int ImageOf(const CString& path, UINT flags)
{
    SHFILEINFOA info = {};
    CString shellPath = path.Right(1) == ":" ? path + "\\" : path;
    if (!::SHGetFileInfoA(shellPath, 0, &info, sizeof(info), SHGFI_SYSICONINDEX | SHGFI_SMALLICON | flags))
        return 0;
    return info.iIcon;
}

// The last component of a path.
CString LastComponent(const CString& path)
{
    const int slash = path.ReverseFind('\\');
    return slash < 0 ? path : path.Mid(slash + 1);
}

} // namespace

CDirTreeCtrl::CDirTreeCtrl() : m_hSystemImages(nullptr) {}

CDirTreeCtrl::~CDirTreeCtrl() {}

bool CDirTreeCtrl::IsAtOrUnder(const CString& path, const CString& folder)
{
    if (folder.IsEmpty())
        return false;
    const CString p = WithBackslash(path), f = WithBackslash(folder);
    return p.GetLength() >= f.GetLength() && p.Left(f.GetLength()).CompareNoCase(f) == 0;
}

void CDirTreeCtrl::Normalise(CStringArray& folders)
{
    CStringArray kept;
    for (INT_PTR i = 0; i < folders.GetSize(); ++i)
    {
        const CString& candidate = folders[i];
        if (candidate.IsEmpty())
            continue;
        bool covered = false;
        for (INT_PTR j = 0; j < folders.GetSize() && !covered; ++j)
        {
            if (j == i || folders[j].IsEmpty())
                continue;
            const bool equal = WithBackslash(folders[j]).CompareNoCase(WithBackslash(candidate)) == 0;
            // An equal entry earlier wins; an entry above this one covers it.
            covered = equal ? j < i : IsAtOrUnder(candidate, folders[j]);
        }
        if (!covered)
            kept.Add(candidate);
    }
    folders.Copy(kept);
}

void CDirTreeCtrl::SetCheckedFolders(const CStringArray& folders)
{
    m_folders.Append(folders);
    Normalise(m_folders);
}

void CDirTreeCtrl::GetFolders(CStringArray& out) const
{
    out.Copy(m_collected);
}

int CDirTreeCtrl::MatchPath(const CString& path)
{
    bool above = false;
    for (INT_PTR i = 0; i < m_folders.GetSize(); ++i)
    {
        if (WithBackslash(m_folders[i]).CompareNoCase(WithBackslash(path)) == 0)
        {
            m_folders.RemoveAt(i);
            return MatchChosen;
        }
        above = above || IsAtOrUnder(m_folders[i], path);
    }
    return above ? MatchAbove : MatchNone;
}

int CDirTreeCtrl::GetStateImage(HTREEITEM item) const
{
    return static_cast<int>(GetItemState(item, TVIS_STATEIMAGEMASK) >> 12);
}

void CDirTreeCtrl::SetStateImage(HTREEITEM item, int image)
{
    SetItemState(item, INDEXTOSTATEIMAGEMASK(image), TVIS_STATEIMAGEMASK);
}

void CDirTreeCtrl::SetFlags(HTREEITEM item, DWORD flags, int image)
{
    SetItemData(item, flags);
    SetStateImage(item, image);
}

void CDirTreeCtrl::UpdateItemCheck(const CString& path, HTREEITEM item)
{
    DWORD flags = static_cast<DWORD>(GetItemData(item));
    switch (MatchPath(path))
    {
    case MatchChosen: SetFlags(item, flags | FlagChecked, StateChecked); break;
    case MatchAbove: SetFlags(item, flags | FlagPartial, StatePartial); break;
    default: SetFlags(item, flags, StateUnchecked); break;
    }
}

CString CDirTreeCtrl::DriveOfRootText(const CString& text)
{
    // The volume name may itself hold parentheses: the drive is in the last pair.
    const int open = text.ReverseFind('(');
    if (open < 0)
        return text;
    CString drive = text.Mid(open + 1);
    const int close = drive.Find(')');
    return close >= 0 ? drive.Left(close) : drive;
}

CString CDirTreeCtrl::GetItemPath(HTREEITEM item) const
{
    CString path;
    for (HTREEITEM at = item; at; at = GetParentItem(at))
    {
        const HTREEITEM parent = GetParentItem(at);
        const CString text = parent ? GetItemText(at) : DriveOfRootText(GetItemText(at));
        path = path.IsEmpty() ? text : text + "\\" + path;
    }
    path.TrimRight('\\');
    return path;
}

bool CDirTreeCtrl::HasSubFolders(const CString& path)
{
    WIN32_FIND_DATAA found;
    HANDLE find = ::FindFirstFileA(WithBackslash(path) + "*.*", &found);
    if (find == INVALID_HANDLE_VALUE)
        return false;
    bool any = false;
    do
    {
        const bool dots = strcmp(found.cFileName, ".") == 0 || strcmp(found.cFileName, "..") == 0;
        any = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !dots &&
              !(found.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN);
    } while (!any && ::FindNextFileA(find, &found));
    ::FindClose(find);
    return any;
}

HTREEITEM CDirTreeCtrl::InsertFolderItem(const CString& text, const CString& path, HTREEITEM parent)
{
    HTREEITEM item = InsertItem(text, ImageOf(path, 0), ImageOf(path, SHGFI_OPENICON), parent);
    if (item)
        SetItemData(item, 0);
    return item;
}

void CDirTreeCtrl::AddPlaceholder(HTREEITEM item)
{
    HTREEITEM placeholder = InsertItem("", 0, 0, item);
    if (placeholder)
        SetItemData(placeholder, 0);
}

void CDirTreeCtrl::DeleteChildren(HTREEITEM item)
{
    for (HTREEITEM child = GetChildItem(item); child;)
    {
        HTREEITEM next = GetNextSiblingItem(child);
        DeleteItem(child);
        child = next;
    }
}

void CDirTreeCtrl::Init(UINT bitmapId)
{
    DeleteAllItems();
    SHFILEINFOA info = {};
    m_hSystemImages = reinterpret_cast<HIMAGELIST>(
        ::SHGetFileInfoA("C:\\", 0, &info, sizeof(info), SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
    if (!m_hSystemImages)
        return;
    ImageList_SetBkColor(m_hSystemImages, RGB(255, 255, 255));
    SetImageList(m_hSystemImages, TVSIL_NORMAL);

    char roots[128] = "";
    const DWORD length = ::GetLogicalDriveStringsA(sizeof(roots), roots);
    if (length > 0 && length < sizeof(roots))
        for (const char* root = roots; *root; root += strlen(root) + 1)
        {
            char volume[256] = "", fileSystem[256] = "";
            DWORD serial = 0, maxComponent = 0, fsFlags = 0;
            if (!::GetVolumeInformationA(root, volume, 255, &serial, &maxComponent, &fsFlags, fileSystem, 255))
                volume[0] = '\0';
            const CString drive = CString(root).Left(2);
            const CString text = volume[0] ? CString(volume) + "(" + drive + ")" : drive;
            HTREEITEM item = InsertFolderItem(text, drive, TVI_ROOT);
            if (!item)
                continue;
            UpdateItemCheck(drive, item);
            if (HasSubFolders(root))
                AddPlaceholder(item);
        }

    m_stateImages.DeleteImageList();
    if (m_stateImages.Create(bitmapId, StateImageSize, 2, RGB(255, 255, 255)))
        SetImageList(m_stateImages, TVSIL_STATE);
    SetRedraw(TRUE);
}

void CDirTreeCtrl::ReleaseStateImages()
{
    if (m_hWnd)
        SetImageList(nullptr, TVSIL_STATE);
}

void CDirTreeCtrl::ExpandItem(HTREEITEM item, const CString& path)
{
    std::vector<CString> children;
    WIN32_FIND_DATAA found;
    HANDLE find = ::FindFirstFileA(WithBackslash(path) + "*.*", &found);
    if (find != INVALID_HANDLE_VALUE)
    {
        do
        {
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && strcmp(found.cFileName, ".") != 0 &&
                strcmp(found.cFileName, "..") != 0)
                children.push_back(WithBackslash(path) + found.cFileName);
        } while (::FindNextFileA(find, &found));
        ::FindClose(find);
    }
    // In name order, whatever order the file system lists them in.
    std::sort(children.begin(), children.end(),
              [](const CString& a, const CString& b) { return a.CompareNoCase(b) < 0; });

    const DWORD parentFlags = static_cast<DWORD>(GetItemData(item));
    for (const CString& childPath : children)
    {
        HTREEITEM child = InsertFolderItem(LastComponent(childPath), childPath, item);
        if (!child)
            continue;
        UpdateItemCheck(childPath, child);
        const DWORD flags = static_cast<DWORD>(GetItemData(child));
        if (parentFlags & FlagChecked)
            SetFlags(child, FlagChecked, StateChecked);
        else if (!(parentFlags & FlagPartial) && (flags & FlagChecked))
            SetFlags(child, flags & ~FlagChecked, StateUnchecked);
        if (HasSubFolders(childPath))
            AddPlaceholder(child);
    }
}

void CDirTreeCtrl::OnItemExpanding(NMHDR* pNotify, LRESULT* pResult)
{
    CWaitCursor wait;
    const NMTREEVIEWA* view = reinterpret_cast<const NMTREEVIEWA*>(pNotify);
    HTREEITEM item = view->itemNew.hItem;
    const DWORD flags = static_cast<DWORD>(GetItemData(item));
    if (!(flags & FlagFilled))
    {
        SetItemData(item, flags | FlagFilled);
        DeleteChildren(item);
        ExpandItem(item, GetItemPath(item));
    }
    *pResult = 0;
}

void CDirTreeCtrl::OnItemExpanded(NMHDR* pNotify, LRESULT* pResult)
{
    const NMTREEVIEWA* view = reinterpret_cast<const NMTREEVIEWA*>(pNotify);
    HTREEITEM item = view->itemNew.hItem;
    const DWORD flags = static_cast<DWORD>(GetItemData(item));
    if (!(flags & FlagFilled) && !(GetItemState(item, TVIS_EXPANDED) & TVIS_EXPANDED) && GetChildItem(item))
    {
        DeleteChildren(item);
        AddPlaceholder(item);
    }
    *pResult = 0;
}

// ------------------------------------------------------------ check boxes

void CDirTreeCtrl::SetSubtree(HTREEITEM item, bool checked)
{
    for (HTREEITEM child = GetChildItem(item); child; child = GetNextSiblingItem(child))
    {
        const DWORD filled = static_cast<DWORD>(GetItemData(child)) & FlagFilled;
        SetFlags(child, filled | (checked ? FlagChecked : 0), checked ? StateChecked : StateUnchecked);
        SetSubtree(child, checked);
    }
}

void CDirTreeCtrl::UpdateParents(HTREEITEM item, bool checked)
{
    const int shown = checked ? StateChecked : StateUnchecked;
    for (HTREEITEM parent = GetParentItem(item); parent; item = parent, parent = GetParentItem(item))
    {
        bool mixed = (GetItemData(item) & FlagPartial) != 0;
        for (HTREEITEM sibling = GetChildItem(parent); sibling && !mixed; sibling = GetNextSiblingItem(sibling))
            mixed = GetStateImage(sibling) != shown;
        const DWORD filled = static_cast<DWORD>(GetItemData(parent)) & FlagFilled;
        if (mixed)
            SetFlags(parent, filled | FlagPartial, StatePartial);
        else
            SetFlags(parent, filled | (checked ? FlagChecked : 0), shown);
    }
}

void CDirTreeCtrl::DropFolders(const CString& path)
{
    for (INT_PTR i = m_folders.GetSize() - 1; i >= 0; --i)
        if (IsAtOrUnder(m_folders[i], path))
            m_folders.RemoveAt(i);
}

void CDirTreeCtrl::ToggleItem(HTREEITEM item)
{
    const DWORD flags = static_cast<DWORD>(GetItemData(item));
    // From the item's own state: a checked item is unchecked, an unchecked
    // or partly checked one checked.
    const bool checked = !(flags & FlagChecked) || (flags & FlagPartial);
    SetFlags(item, (flags & FlagFilled) | (checked ? FlagChecked : 0), checked ? StateChecked : StateUnchecked);
    SetSubtree(item, checked);
    UpdateParents(item, checked);
    // Preset folders below an unchecked folder go with it, seen or not.
    if (!checked)
        DropFolders(GetItemPath(item));
}

void CDirTreeCtrl::ShowStates(HTREEITEM parent)
{
    for (HTREEITEM item = parent ? GetChildItem(parent) : GetRootItem(); item; item = GetNextSiblingItem(item))
    {
        const DWORD flags = static_cast<DWORD>(GetItemData(item));
        if (!GetItemText(item).IsEmpty())
            SetStateImage(item, (flags & FlagChecked) && !(flags & FlagPartial) ? StateChecked
                                : (flags & FlagPartial)                       ? StatePartial
                                                                              : StateUnchecked);
        ShowStates(item);
    }
}

LRESULT CDirTreeCtrl::OnShowStates(WPARAM, LPARAM)
{
    ShowStates(nullptr);
    return 0;
}

void CDirTreeCtrl::OnClick(NMHDR*, LRESULT* pResult)
{
    *pResult = 0;
    const DWORD pos = ::GetMessagePos();
    POINT point = {static_cast<short>(LOWORD(pos)), static_cast<short>(HIWORD(pos))};
    ScreenToClient(&point);
    UINT hit = 0;
    HTREEITEM item = HitTest(point, &hit);
    if (!item || !(hit & TVHT_ONITEMSTATEICON))
        return;
    SelectItem(item);
    ToggleItem(item);
    PostMessage(WM_SHOW_STATES);
    *pResult = 1;
}

void CDirTreeCtrl::OnKeyDown(NMHDR* pNotify, LRESULT* pResult)
{
    *pResult = 0;
    const NMTVKEYDOWN* key = reinterpret_cast<const NMTVKEYDOWN*>(pNotify);
    if (key->wVKey != VK_SPACE)
        return;
    if (HTREEITEM item = GetSelectedItem())
    {
        ToggleItem(item);
        PostMessage(WM_SHOW_STATES);
    }
}

// ------------------------------------------------------------- collecting

void CDirTreeCtrl::VisitChecked(HTREEITEM parent)
{
    for (HTREEITEM child = GetChildItem(parent); child; child = GetNextSiblingItem(child))
    {
        const DWORD flags = static_cast<DWORD>(GetItemData(child));
        if (flags & FlagChecked)
            m_collected.Add(GetItemPath(child));
        else if (flags & FlagPartial)
            VisitChecked(child);
    }
}

void CDirTreeCtrl::CollectChecked()
{
    // The presets no item has shown yet, then every checked item; a choice
    // collected before is not kept, the tree is read anew.
    for (HTREEITEM root = GetRootItem(); root; root = GetNextSiblingItem(root))
        if (!(GetItemData(root) & (FlagChecked | FlagPartial)) && !GetItemText(root).IsEmpty())
            DropFolders(GetItemPath(root));
    m_collected.Copy(m_folders);
    for (HTREEITEM root = GetRootItem(); root; root = GetNextSiblingItem(root))
    {
        const DWORD flags = static_cast<DWORD>(GetItemData(root));
        if (flags & FlagChecked)
            m_collected.Add(GetItemPath(root));
        else if (flags & FlagPartial)
            VisitChecked(root);
    }
    Normalise(m_collected);
}
