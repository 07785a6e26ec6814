#pragma once
// The items of a menu as the skinned popup menus and the menu bar read
// them: text, command, state, mnemonic and sub-menu by position. The menu
// itself is never changed.

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

// The text of a menu item as the menu holds it ("&" marks, "\t" before the
// accelerator); empty for separators, bitmap and owner-drawn items, whose
// type data is no text.
std::string ReadMenuItemText(HMENU menu, int position);
// The character behind the first single "&", upper-cased; "&&" is a literal
// ampersand. 0 when there is none.
int MenuMnemonic(const std::string& text);

struct CSkinMenuItem
{
    CSkinMenuItem(HMENU menu, int position);

    bool IsEnabled() const { return (state & (MF_GRAYED | MF_DISABLED)) == 0; }
    bool IsSeparator() const { return (state & MF_SEPARATOR) && !(state & MF_POPUP); }

    bool highlighted;
    std::string text;
    UINT commandId;   // -1 for an item that opens a sub-menu
    int position;
    int mnemonic;
    UINT state;
    HMENU subMenu;
    HMENU menu;
};

class CSkinMenuItemList
{
public:
    CSkinMenuItemList() : m_menu(NULL) {}
    ~CSkinMenuItemList() { Clear(); }

    void Load(HMENU menu);
    void Clear();
    HMENU GetMenu() const { return m_menu; }
    int GetCount() const { return (int)m_items.size(); }
    // NULL outside the list.
    CSkinMenuItem* At(int index) const;

private:
    CSkinMenuItemList(const CSkinMenuItemList&);
    CSkinMenuItemList& operator=(const CSkinMenuItemList&);

    HMENU m_menu;
    std::vector<CSkinMenuItem*> m_items;
};

// The pictures a window gives its menus' items: (command id, image index)
// pairs and three image lists; copied into every popup, owned by the window.
struct SkinMenuImages
{
    SkinMenuImages() : normal(NULL), hot(NULL), disabled(NULL) {}
    // The image of a command, -1 when it has none.
    int IndexOf(UINT commandId) const;

    std::vector<std::pair<UINT, int> > images;
    HIMAGELIST normal;
    HIMAGELIST hot;
    HIMAGELIST disabled;
};
