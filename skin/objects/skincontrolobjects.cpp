#include "skin/objects/skincontrolobjects.h"

#include <ctype.h>
#include <string.h>

#include "skin/core/skinversion.h"
#include "skin/objects/skinfields.h"

#define ZERO(x) memset(&(x), 0, sizeof(x))

static std::string UpperName(LPCSTR name)
{
    std::string upper(name ? name : "");
    for (size_t i = 0; i < upper.size(); ++i)
        upper[i] = (char)toupper((unsigned char)upper[i]);
    return upper;
}

static void DefaultStyles(SkinButtonState* states, int count, COLORREF colour)
{
    for (int i = 0; i < count; ++i) {
        states[i].text = DefaultSkinTextStyle();
        SetStyleTextColour(states[i].text, colour);
    }
}

// ---------------------------------------------------------------- Button

CSkinButtonObject::CSkinButtonObject() : CSkinFontObject(sotButton), m_word1(0), m_word2(0)
{
    ZERO(m_states);
    ZERO(m_text);
    DefaultStyles(m_states, StateCount, m_font.colour);
}

void CSkinButtonObject::Save(CSkinMemStream& s) const
{
    CSkinFontObject::Save(s);
    WriteArray(s, m_states);
    WriteText(s, m_text, SKIN_TEXT50_LEN);
    s.WriteDword(m_word1);
    s.WriteDword(m_word2);
}

void CSkinButtonObject::Load(CSkinMemStream& s)
{
    const bool fontBase = SkinVersionFrom(7);
    if (fontBase)
        CSkinFontObject::Load(s);
    else
        CSkinObject::Load(s);
    ReadArray(s, m_states);
    s.ReadText(m_text, SKIN_TEXT50_LEN);
    s.ReadDword(m_word1);
    // Files up to 1.7 carry the font again, with the control id, before the
    // last word; at 1.7 after a font base as well.
    if (!SkinVersionFrom(8)) {
        ReadPlain(s, m_font);
        s.ReadDword(m_controlId);
    }
    s.ReadDword(m_word2);
    if (!SkinVersionFrom(9))
        DefaultStyles(m_states, StateCount, m_font.colour);
}

// ---------------------------------------------------------------- CheckBox, Radio

CSkinCheckObject::CSkinCheckObject(int type) : CSkinFontObject(type), m_word(0)
{
    ZERO(m_states);
    ZERO(m_text);
    ZERO(m_pushLikeButton);
    for (int i = 0; i < StateCount; ++i)
        m_states[i].text = DefaultSkinTextStyle();
}

void CSkinCheckObject::Save(CSkinMemStream& s) const
{
    CSkinFontObject::Save(s);
    WriteArray(s, m_states);
    WriteText(s, m_text, SKIN_TEXT50_LEN);
    s.WriteDword(m_word);
    WriteText(s, m_pushLikeButton, SKIN_TEXT50_LEN);
}

void CSkinCheckObject::Load(CSkinMemStream& s)
{
    CSkinFontObject::Load(s);
    ReadArray(s, m_states);
    s.ReadText(m_text, SKIN_TEXT50_LEN);
    s.ReadDword(m_word);
    if (SkinVersionFrom(17))
        s.ReadText(m_pushLikeButton, SKIN_TEXT50_LEN);
    if (!SkinVersionFrom(9)) {
        for (int i = 0; i < StateCount; ++i)
            m_states[i].text = DefaultSkinTextStyle();
        m_word = 0;
    }
}

// ---------------------------------------------------------------- ComboBox

CSkinComboBoxObject::CSkinComboBoxObject(int type)
    : CSkinFontObject(type), m_word(0), m_colour4(0), m_colour5(0), m_word2(0)
{
    ZERO(m_grids);
}

void CSkinComboBoxObject::Save(CSkinMemStream& s) const
{
    CSkinFontObject::Save(s);
    WriteArray(s, m_grids);
    s.WriteDword(m_word);
    s.WriteDword(m_colour4);
    s.WriteDword(m_colour5);
    s.WriteDword(m_word2);
}

void CSkinComboBoxObject::Load(CSkinMemStream& s)
{
    CSkinFontObject::Load(s);
    ReadArray(s, m_grids);
    s.ReadDword(m_word);
    if (SkinVersionFrom(11)) {
        s.ReadDword(m_colour4);
        s.ReadDword(m_colour5);
        s.ReadDword(m_word2);
        return;
    }
    if (SkinVersionFrom(9)) {
        m_colour4 = m_colour1;
        m_colour5 = m_colour2;
    } else {
        m_colour4 = GetSysColor(COLOR_BTNFACE);
        m_colour5 = GetSysColor(COLOR_BTNTEXT);
    }
    m_colour1 = GetSysColor(COLOR_WINDOW);
    m_colour2 = GetSysColor(COLOR_WINDOWTEXT);
}

// ---------------------------------------------------------------- Edit and lists

CSkinEditObject::CSkinEditObject(int type) : CSkinFontObject(type)
{
    ZERO(m_border);
}

void CSkinEditObject::Save(CSkinMemStream& s) const
{
    CSkinFontObject::Save(s);
    WritePlain(s, m_border);
}

void CSkinEditObject::Load(CSkinMemStream& s)
{
    CSkinFontObject::Load(s);
    ReadPlain(s, m_border);
    if (!SkinVersionFrom(11)) {
        m_colour1 = GetSysColor(COLOR_WINDOW);
        m_colour2 = GetSysColor(COLOR_WINDOWTEXT);
        m_colour3 = GetSysColor(COLOR_BTNFACE);
    }
}

CSkinTreeViewObject::CSkinTreeViewObject() : CSkinEditObject(sotTreeView), m_word(0)
{
    ZERO(m_grids);
    ZERO(m_words);
    ZERO(m_rects);
    ZERO(m_images);
}

void CSkinTreeViewObject::Save(CSkinMemStream& s) const
{
    CSkinEditObject::Save(s);
    WriteArray(s, m_grids);
    WriteArray(s, m_words);
    WriteArray(s, m_rects);
    WriteArray(s, m_images);
    s.WriteDword(m_word);
}

void CSkinTreeViewObject::Load(CSkinMemStream& s)
{
    CSkinEditObject::Load(s);
    if (SkinVersionFrom(12)) {
        ReadArray(s, m_grids);
        ReadArray(s, m_words);
        ReadArray(s, m_rects);
    }
    if (SkinVersionFrom(15)) {
        ReadArray(s, m_images);
        s.ReadDword(m_word);
    }
}

// ---------------------------------------------------------------- GroupBox

CSkinGroupBoxObject::CSkinGroupBoxObject()
    : CSkinFontObject(sotGroupBox), m_parentBackground(0), m_text(DefaultSkinTextStyle()), m_word(0)
{
    ZERO(m_frame);
}

void CSkinGroupBoxObject::Save(CSkinMemStream& s) const
{
    CSkinFontObject::Save(s);
    WritePlain(s, m_frame);
    s.WriteDword(m_parentBackground);
    WritePlain(s, m_text);
    s.WriteDword(m_word);
}

void CSkinGroupBoxObject::Load(CSkinMemStream& s)
{
    CSkinFontObject::Load(s);
    ReadPlain(s, m_frame);
    s.ReadDword(m_parentBackground);
    ReadPlain(s, m_text);
    s.ReadDword(m_word);
    if (!SkinVersionFrom(9)) {
        m_text = DefaultSkinTextStyle();
        m_word = 0;
    }
}

// ---------------------------------------------------------------- ProgressBar

CSkinProgressObject::CSkinProgressObject() : CSkinFontObject(sotProgressBar)
{
    ZERO(m_bar);
    ZERO(m_words);
}

void CSkinProgressObject::Save(CSkinMemStream& s) const
{
    CSkinFontObject::Save(s);
    WritePlain(s, m_bar);
    WriteArray(s, m_words);
}

void CSkinProgressObject::Load(CSkinMemStream& s)
{
    CSkinFontObject::Load(s);
    ReadPlain(s, m_bar);
    ReadArray(s, m_words);
}

// ---------------------------------------------------------------- ScrollBar

CSkinScrollBarObject::CSkinScrollBarObject() : CSkinFontObject(sotScrollBar)
{
    ZERO(m_states);
    ZERO(m_sizeGrip);
    ZERO(m_words);
}

void CSkinScrollBarObject::Save(CSkinMemStream& s) const
{
    CSkinFontObject::Save(s);
    WriteItems(s, m_states, 4);
    WritePlain(s, m_sizeGrip);
    WriteArray(s, m_words);
    WriteItems(s, m_states + 4, 4);
}

void CSkinScrollBarObject::Load(CSkinMemStream& s)
{
    CSkinFontObject::Load(s);
    ReadItems(s, m_states, 4);
    ReadPlain(s, m_sizeGrip);
    ReadArray(s, m_words);
    if (SkinVersionFrom(12))
        ReadItems(s, m_states + 4, 4);
}

// ---------------------------------------------------------------- Slider

CSkinSliderObject::CSkinSliderObject() : CSkinFontObject(sotSlider), m_word(0)
{
    ZERO(m_channel);
    ZERO(m_words);
    ZERO(m_thumb);
    ZERO(m_verticalThumb);
}

void CSkinSliderObject::Save(CSkinMemStream& s) const
{
    CSkinFontObject::Save(s);
    WritePlain(s, m_channel);
    WriteArray(s, m_words);
    WritePlain(s, m_thumb);
    s.WriteDword(m_word);
    WritePlain(s, m_verticalThumb);
}

void CSkinSliderObject::Load(CSkinMemStream& s)
{
    CSkinFontObject::Load(s);
    ReadPlain(s, m_channel);
    ReadArray(s, m_words);
    ReadPlain(s, m_thumb);
    if (SkinVersionFrom(9)) {
        s.ReadDword(m_word);
        ReadPlain(s, m_verticalThumb);
    }
}

// ---------------------------------------------------------------- Static

CSkinStaticObject::CSkinStaticObject() : CSkinFontObject(sotStatic), m_word(0)
{
    m_text = DefaultSkinTextStyle();
    SetStyleTextColour(m_text, m_font.colour);
    ZERO(m_link);
    ZERO(m_rect);
}

void CSkinStaticObject::Save(CSkinMemStream& s) const
{
    CSkinFontObject::Save(s);
    s.WriteDword(m_word);
    WritePlain(s, m_text);
    WriteText(s, m_link, SKIN_NAME_LEN);
    WritePlain(s, m_rect);
}

void CSkinStaticObject::Load(CSkinMemStream& s)
{
    CSkinFontObject::Load(s);
    s.ReadDword(m_word);
    ReadPlain(s, m_text);
    s.ReadText(m_link, SKIN_NAME_LEN);
    if (!SkinVersionFrom(9)) {
        m_text = DefaultSkinTextStyle();
        SetStyleTextColour(m_text, m_font.colour);
    }
    if (SkinVersionFrom(16))
        ReadPlain(s, m_rect);
}

// ---------------------------------------------------------------- StatusBar

CSkinStatusBarObject::CSkinStatusBarObject() : CSkinFontObject(sotStatusBar)
{
    ZERO(m_part);
    ZERO(m_grip);
}

void CSkinStatusBarObject::Save(CSkinMemStream& s) const
{
    CSkinFontObject::Save(s);
    WritePlain(s, m_part);
    WritePlain(s, m_grip);
}

void CSkinStatusBarObject::Load(CSkinMemStream& s)
{
    CSkinFontObject::Load(s);
    ReadPlain(s, m_part);
    ReadPlain(s, m_grip);
}

// ---------------------------------------------------------------- Tab

CSkinTabObject::CSkinTabObject() : CSkinFontObject(sotTab), m_word(0)
{
    ZERO(m_items);
    ZERO(m_page);
    DefaultStyles(m_items, 4, m_font.colour);
}

void CSkinTabObject::Save(CSkinMemStream& s) const
{
    CSkinFontObject::Save(s);
    WriteArray(s, m_items);
    WritePlain(s, m_page);
    s.WriteDword(m_word);
}

void CSkinTabObject::Load(CSkinMemStream& s)
{
    CSkinFontObject::Load(s);
    ReadArray(s, m_items);
    ReadPlain(s, m_page);
    if (SkinVersionFrom(9))
        s.ReadDword(m_word);
}

// ---------------------------------------------------------------- ToolBar

CSkinToolBarObject::CSkinToolBarObject() : CSkinFontObject(sotToolBar)
{
    ZERO(m_buttons);
    ZERO(m_separator);
}

void CSkinToolBarObject::Save(CSkinMemStream& s) const
{
    CSkinFontObject::Save(s);
    WriteArray(s, m_buttons);
    WritePlain(s, m_separator);
}

void CSkinToolBarObject::Load(CSkinMemStream& s)
{
    CSkinFontObject::Load(s);
    ReadArray(s, m_buttons);
    ReadPlain(s, m_separator);
}

// ---------------------------------------------------------------- Spin

CSkinSpinObject::CSkinSpinObject() : CSkinFontObject(sotSpin)
{
    ZERO(m_states);
}

void CSkinSpinObject::Save(CSkinMemStream& s) const
{
    CSkinFontObject::Save(s);
    WriteArray(s, m_states);
}

void CSkinSpinObject::Load(CSkinMemStream& s)
{
    CSkinFontObject::Load(s);
    ReadItems(s, m_states, 4);
    if (SkinVersionFrom(13))
        ReadItems(s, m_states + 4, 4);
}

// ---------------------------------------------------------------- DateTime

CSkinDateTimeObject::CSkinDateTimeObject() : CSkinFontObject(sotDateTime), m_word(0)
{
    ZERO(m_grids);
    ZERO(m_button);
    ZERO(m_buttonRect);
    ZERO(m_disabledButton);
    ZERO(m_rect);
}

void CSkinDateTimeObject::Save(CSkinMemStream& s) const
{
    CSkinFontObject::Save(s);
    WriteArray(s, m_grids);
    WritePlain(s, m_button);
    WritePlain(s, m_buttonRect);
    WritePlain(s, m_disabledButton);
    WritePlain(s, m_rect);
    s.WriteDword(m_word);
}

void CSkinDateTimeObject::Load(CSkinMemStream& s)
{
    CSkinFontObject::Load(s);
    ReadArray(s, m_grids);
    ReadPlain(s, m_button);
    ReadPlain(s, m_buttonRect);
    ReadPlain(s, m_disabledButton);
    ReadPlain(s, m_rect);
    s.ReadDword(m_word);
}

// ---------------------------------------------------------------- MonthCalendar

CSkinMonthCalObject::CSkinMonthCalObject() : CSkinFontObject(sotMonthCalendar)
{
    ZERO(m_grids);
    ZERO(m_words);
}

void CSkinMonthCalObject::Save(CSkinMemStream& s) const
{
    CSkinFontObject::Save(s);
    WriteArray(s, m_grids);
    WriteArray(s, m_words);
}

void CSkinMonthCalObject::Load(CSkinMemStream& s)
{
    CSkinFontObject::Load(s);
    ReadArray(s, m_grids);
    ReadArray(s, m_words);
}

// ---------------------------------------------------------------- Rebar, Header, Animate

CSkinRebarObject::CSkinRebarObject() : CSkinFontObject(sotRebar)
{
    ZERO(m_band);
    ZERO(m_margins);
}

void CSkinRebarObject::Save(CSkinMemStream& s) const
{
    CSkinFontObject::Save(s);
    WritePlain(s, m_band);
    WritePlain(s, m_margins);
}

void CSkinRebarObject::Load(CSkinMemStream& s)
{
    CSkinFontObject::Load(s);
    ReadPlain(s, m_band);
    ReadPlain(s, m_margins);
}

CSkinHeaderObject::CSkinHeaderObject() : CSkinFontObject(sotHeader)
{
    ZERO(m_margins);
    ZERO(m_item);
}

void CSkinHeaderObject::Save(CSkinMemStream& s) const
{
    CSkinFontObject::Save(s);
    WritePlain(s, m_margins);
    WritePlain(s, m_item);
}

void CSkinHeaderObject::Load(CSkinMemStream& s)
{
    CSkinFontObject::Load(s);
    ReadPlain(s, m_margins);
    ReadPlain(s, m_item);
}

CSkinAnimateObject::CSkinAnimateObject() : CSkinFontObject(sotAnimate)
{
    ZERO(m_image);
}

void CSkinAnimateObject::Save(CSkinMemStream& s) const
{
    CSkinFontObject::Save(s);
    WritePlain(s, m_image);
}

void CSkinAnimateObject::Load(CSkinMemStream& s)
{
    CSkinFontObject::Load(s);
    ReadPlain(s, m_image);
}

// ---------------------------------------------------------------- EntryList

CSkinEntryListObject::CSkinEntryListObject() : CSkinFontObject(sotEntryList)
{
    ZERO(m_listName);
}

static void WriteBlob(CSkinMemStream& s, const std::vector<BYTE>& blob)
{
    s.WriteDword((DWORD)blob.size());
    if (!blob.empty())
        s.Write(&blob[0], (DWORD)blob.size());
}

// Reads a length and that many bytes; an allocation failure skips the bytes
// and keeps an empty blob.
static bool ReadBlob(CSkinMemStream& s, std::vector<BYTE>& blob)
{
    DWORD length = 0;
    if (!s.ReadCount(length, 1))
        return false;
    try {
        blob.resize(length);
    } catch (...) {
        blob.clear();
        s.Seek((LONG)length, 1);
        return true;
    }
    if (length)
        s.Read(&blob[0], length);
    return true;
}

void CSkinEntryListObject::Save(CSkinMemStream& s) const
{
    CSkinFontObject::Save(s);
    WriteText(s, m_listName, SKIN_NAME_LEN);
    s.WriteDword((DWORD)m_entries.size());
    for (size_t i = 0; i < m_entries.size(); ++i) {
        const Entry& e = m_entries[i];
        s.WriteDword(e.id);
        WriteText(s, e.key, sizeof(e.key));
        WriteText(s, e.text, sizeof(e.text));
        WriteBlob(s, e.data1);
        WriteBlob(s, e.data2);
    }
}

void CSkinEntryListObject::Load(CSkinMemStream& s)
{
    CSkinFontObject::Load(s);
    s.ReadText(m_listName, SKIN_NAME_LEN);
    const DWORD smallestEntry = 4 + 31 + SKIN_NAME_LEN + 4 + 4;
    DWORD count = 0;
    if (!s.ReadCount(count, smallestEntry))
        return;
    m_entries.clear();
    m_index.clear();
    for (DWORD i = 0; i < count; ++i) {
        Entry e;
        e.id = 0;
        s.ReadDword(e.id);
        s.ReadText(e.key, sizeof(e.key));
        s.ReadText(e.text, sizeof(e.text));
        if (!ReadBlob(s, e.data1) || !ReadBlob(s, e.data2))
            return;
        if (!e.data2.empty())
            e.data2.back() = 0;
        m_index[UpperName(e.key)] = m_entries.size();
        m_entries.push_back(e);
    }
}

const void* CSkinEntryListObject::FindEntry(LPCSTR name) const
{
    std::map<std::string, size_t>::const_iterator it = m_index.find(UpperName(name));
    return it == m_index.end() ? NULL : &m_entries[it->second];
}
