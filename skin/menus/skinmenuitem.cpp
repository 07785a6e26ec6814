#include "skin/menus/skinmenuitem.h"

#include <ctype.h>

std::string ReadMenuItemText(HMENU menu, int position)
{
    MENUITEMINFOA info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE;
    if (!GetMenuItemInfoA(menu, (UINT)position, TRUE, &info)
        || (info.fType & (MFT_BITMAP | MFT_OWNERDRAW | MFT_SEPARATOR)))
        return std::string();
    // The length first, then the text into a buffer of that size.
    info.fMask = MIIM_STRING;
    info.dwTypeData = NULL;
    info.cch = 0;
    if (!GetMenuItemInfoA(menu, (UINT)position, TRUE, &info) || info.cch == 0)
        return std::string();
    std::string text(info.cch + 1, '\0');
    info.dwTypeData = &text[0];
    info.cch = (UINT)text.size();
    if (!GetMenuItemInfoA(menu, (UINT)position, TRUE, &info))
        return std::string();
    text.resize(info.cch < text.size() ? info.cch : text.size() - 1);
    return text;
}

int MenuMnemonic(const std::string& text)
{
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '&')
            continue;
        if (text[i + 1] == '&') {
            ++i;
            continue;
        }
        return toupper((unsigned char)text[i + 1]);
    }
    return 0;
}

CSkinMenuItem::CSkinMenuItem(HMENU menuHandle, int itemPosition)
    : highlighted(false), text(ReadMenuItemText(menuHandle, itemPosition)),
      commandId(GetMenuItemID(menuHandle, itemPosition)), position(itemPosition), mnemonic(MenuMnemonic(text)),
      state(GetMenuState(menuHandle, (UINT)itemPosition, MF_BYPOSITION)),
      subMenu(GetSubMenu(menuHandle, itemPosition)), menu(menuHandle)
{
}

void CSkinMenuItemList::Load(HMENU menu)
{
    Clear();
    m_menu = menu;
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i)
        m_items.push_back(new CSkinMenuItem(menu, i));
}

void CSkinMenuItemList::Clear()
{
    for (size_t i = 0; i < m_items.size(); ++i)
        delete m_items[i];
    m_items.clear();
}

CSkinMenuItem* CSkinMenuItemList::At(int index) const
{
    return index >= 0 && index < (int)m_items.size() ? m_items[index] : NULL;
}

int SkinMenuImages::IndexOf(UINT commandId) const
{
    for (size_t i = 0; i < images.size(); ++i)
        if (images[i].first == commandId)
            return images[i].second;
    return -1;
}
