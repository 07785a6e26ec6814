#pragma once
// Skin objects of controls: every class a control skinner draws with. All of
// them carry the font block of CSkinFontObject (a Button record of a file
// older than 1.7 carries its font after its own fields instead).

#include <map>
#include <string>
#include <vector>

#include "skin/objects/skinobject.h"

// Button: six states: normal, pressed, default, focused, hover, disabled.
class CSkinButtonObject : public CSkinFontObject
{
public:
    enum { Normal, Pressed, Default, Focused, Hover, Disabled, StateCount };
    CSkinButtonObject();
    void Save(CSkinMemStream& s) const override;
    void Load(CSkinMemStream& s) override;

    SkinButtonState m_states[StateCount];
    char m_text[SKIN_TEXT50_LEN];
    DWORD m_word1;
    DWORD m_word2;
};

// CheckBox and Radio: seven states: unchecked, checked, disabled checked,
// hot unchecked, hot checked, disabled unchecked, pressed.
class CSkinCheckObject : public CSkinFontObject
{
public:
    enum { StateCount = 7 };
    explicit CSkinCheckObject(int type);
    void Save(CSkinMemStream& s) const override;
    void Load(CSkinMemStream& s) override;

    SkinCheckState m_states[StateCount];
    char m_text[SKIN_TEXT50_LEN];
    DWORD m_word;
    char m_pushLikeButton[SKIN_TEXT50_LEN]; // from 1.17: the Button object of BS_PUSHLIKE
};

class CSkinComboBoxObject : public CSkinFontObject
{
public:
    explicit CSkinComboBoxObject(int type);
    void Save(CSkinMemStream& s) const override;
    void Load(CSkinMemStream& s) override;

    SkinImageGrid m_grids[4];
    DWORD m_word;
    COLORREF m_colour4;
    COLORREF m_colour5;
    DWORD m_word2;
};

// Edit, ListBox, ScrollControl, ListView and RichEdit.
class CSkinEditObject : public CSkinFontObject
{
public:
    explicit CSkinEditObject(int type);
    void Save(CSkinMemStream& s) const override;
    void Load(CSkinMemStream& s) override;

    SkinImageRef m_border;
};

class CSkinTreeViewObject : public CSkinEditObject
{
public:
    CSkinTreeViewObject();
    void Save(CSkinMemStream& s) const override;
    void Load(CSkinMemStream& s) override;

    SkinImageGrid m_grids[2];
    DWORD m_words[2];
    RECT m_rects[2];
    SkinImageRef m_images[4];
    DWORD m_word;
};

class CSkinGroupBoxObject : public CSkinFontObject
{
public:
    CSkinGroupBoxObject();
    void Save(CSkinMemStream& s) const override;
    void Load(CSkinMemStream& s) override;

    SkinImageGrid m_frame;
    DWORD m_parentBackground;
    SkinTextStyle m_text;
    DWORD m_word;
};

class CSkinProgressObject : public CSkinFontObject
{
public:
    CSkinProgressObject();
    void Save(CSkinMemStream& s) const override;
    void Load(CSkinMemStream& s) override;

    SkinImageGrid m_bar;
    DWORD m_words[3]; // the first is the bar mode
};

// ScrollBar: states 0-3 horizontal (normal, hot, pressed, disabled); from 1.12
// states 4-7 the same for vertical bars.
class CSkinScrollBarObject : public CSkinFontObject
{
public:
    enum { StateCount = 8 };
    CSkinScrollBarObject();
    void Save(CSkinMemStream& s) const override;
    void Load(CSkinMemStream& s) override;

    SkinScrollBarState m_states[StateCount];
    SkinImageRef m_sizeGrip;
    DWORD m_words[5];
};

class CSkinSliderObject : public CSkinFontObject
{
public:
    CSkinSliderObject();
    void Save(CSkinMemStream& s) const override;
    void Load(CSkinMemStream& s) override;

    SkinImageGrid m_channel;
    DWORD m_words[5];
    SkinImageGrid m_thumb;
    DWORD m_word;
    SkinImageGrid m_verticalThumb;
};

class CSkinStaticObject : public CSkinFontObject
{
public:
    CSkinStaticObject();
    void Save(CSkinMemStream& s) const override;
    void Load(CSkinMemStream& s) override;

    DWORD m_word;
    SkinTextStyle m_text;
    char m_link[SKIN_NAME_LEN];
    RECT m_rect; // from 1.16
};

class CSkinStatusBarObject : public CSkinFontObject
{
public:
    CSkinStatusBarObject();
    void Save(CSkinMemStream& s) const override;
    void Load(CSkinMemStream& s) override;

    SkinImageGrid m_part;
    SkinImageRef m_grip;
};

// Tab: item states normal, hot, selected, disabled, and the page image.
class CSkinTabObject : public CSkinFontObject
{
public:
    CSkinTabObject();
    void Save(CSkinMemStream& s) const override;
    void Load(CSkinMemStream& s) override;

    SkinButtonState m_items[4];
    SkinImageGrid m_page;
    DWORD m_word; // from 1.9
};

class CSkinToolBarObject : public CSkinFontObject
{
public:
    CSkinToolBarObject();
    void Save(CSkinMemStream& s) const override;
    void Load(CSkinMemStream& s) override;

    SkinImageGrid m_buttons[4];
    SkinImageGrid m_separator;
};

class CSkinControlBarObject : public CSkinFontObject
{
public:
    CSkinControlBarObject() : CSkinFontObject(sotControlBar) {}
};

// Spin: states 0-3 for vertical spins, from 1.13 states 4-7 for horizontal.
class CSkinSpinObject : public CSkinFontObject
{
public:
    enum { StateCount = 8 };
    CSkinSpinObject();
    void Save(CSkinMemStream& s) const override;
    void Load(CSkinMemStream& s) override;

    SkinSpinState m_states[StateCount];
};

class CSkinDateTimeObject : public CSkinFontObject
{
public:
    CSkinDateTimeObject();
    void Save(CSkinMemStream& s) const override;
    void Load(CSkinMemStream& s) override;

    SkinImageGrid m_grids[3];
    SkinImageRef m_button;
    RECT m_buttonRect;
    SkinImageRef m_disabledButton;
    RECT m_rect;
    DWORD m_word;
};

class CSkinMonthCalObject : public CSkinFontObject
{
public:
    CSkinMonthCalObject();
    void Save(CSkinMemStream& s) const override;
    void Load(CSkinMemStream& s) override;

    SkinImageGrid m_grids[6];
    DWORD m_words[4];
};

class CSkinRebarObject : public CSkinFontObject
{
public:
    CSkinRebarObject();
    void Save(CSkinMemStream& s) const override;
    void Load(CSkinMemStream& s) override;

    SkinImageGrid m_band;
    RECT m_margins;
};

class CSkinHeaderObject : public CSkinFontObject
{
public:
    CSkinHeaderObject();
    void Save(CSkinMemStream& s) const override;
    void Load(CSkinMemStream& s) override;

    RECT m_margins;
    SkinImageGrid m_item;
};

class CSkinAnimateObject : public CSkinFontObject
{
public:
    CSkinAnimateObject();
    void Save(CSkinMemStream& s) const override;
    void Load(CSkinMemStream& s) override;

    SkinImageRef m_image;
};

// Entry list: named entries with two blobs each, found by upper-cased name.
class CSkinEntryListObject : public CSkinFontObject
{
public:
    struct Entry
    {
        DWORD id;
        char key[31];
        char text[SKIN_NAME_LEN];
        std::vector<BYTE> data1;
        std::vector<BYTE> data2; // its last byte is always 0
    };

    CSkinEntryListObject();
    void Save(CSkinMemStream& s) const override;
    void Load(CSkinMemStream& s) override;
    const void* FindEntry(LPCSTR name) const override;

    char m_listName[SKIN_NAME_LEN];
    std::vector<Entry> m_entries;

private:
    std::map<std::string, size_t> m_index;
};
