#include "skin/objects/skinwindowobjects.h"

#include <string.h>

#include "skin/core/skinversion.h"
#include "skin/objects/skinfields.h"

// ---------------------------------------------------------------- FrameWnd

CSkinFrameWndObject::CSkinFrameWndObject()
    : CSkinShapeObject(sotFrameWnd), m_captionBarType(0), m_backgroundFlag(0)
{
    memset(&m_mdiBackground, 0, sizeof(m_mdiBackground));
}

void CSkinFrameWndObject::Save(CSkinMemStream& s) const
{
    CSkinShapeObject::Save(s);
    s.WriteDword(m_captionBarType);
    m_captionBar.Save(s);
    s.WriteDword(m_backgroundFlag);
    WritePlain(s, m_mdiBackground);
}

void CSkinFrameWndObject::Load(CSkinMemStream& s)
{
    CSkinShapeObject::Load(s);
    s.ReadDword(m_captionBarType);
    m_captionBar.SetStore(m_store);
    if (!s.EnterNesting()) {
        s.LeaveNesting();
        return;
    }
    m_captionBar.Load(s);
    s.LeaveNesting();
    if (SkinVersionFrom(6)) {
        s.ReadDword(m_backgroundFlag);
        ReadPlain(s, m_mdiBackground);
    }
}

void CSkinFrameWndObject::ReleaseResources()
{
    m_captionBar.ReleaseResources();
    CSkinShapeObject::ReleaseResources();
}

void CSkinFrameWndObject::CreateResources()
{
    CSkinShapeObject::CreateResources();
    m_captionBar.SetStore(m_store);
    m_captionBar.CreateResources();
}

// ---------------------------------------------------------------- ShapeWnd

CSkinShapeWndObject::CSkinShapeWndObject() : CSkinObject(sotShapeWnd), m_byte(0)
{
    memset(&m_image, 0, sizeof(m_image));
    memset(m_rects, 0, sizeof(m_rects));
    memset(m_words, 0, sizeof(m_words));
}

void CSkinShapeWndObject::Save(CSkinMemStream& s) const
{
    CSkinObject::Save(s);
    WritePlain(s, m_image);
    WriteArray(s, m_rects);
    WritePlain(s, m_byte);
    WriteArray(s, m_words);
}

void CSkinShapeWndObject::Load(CSkinMemStream& s)
{
    CSkinObject::Load(s);
    ReadPlain(s, m_image);
    ReadArray(s, m_rects);
    ReadPlain(s, m_byte);
    ReadArray(s, m_words);
}

// ---------------------------------------------------------------- PopupMenu

CSkinPopupMenuObject::CSkinPopupMenuObject() : CSkinShapeObject(sotPopupMenu)
{
    SetBorderLayout(278, 152, 4);
    m_colour1 = 0xE2B61D;
    memset(m_rects, 0, sizeof(m_rects));
    memset(m_words, 0, sizeof(m_words));
    memset(m_grids2, 0, sizeof(m_grids2));
    memset(m_images, 0, sizeof(m_images));
    // Its own first word: the rects come first, so the first u32 of the
    // first rect.
    m_rects[0].left = 0xFAE6E6;
}

void CSkinPopupMenuObject::Save(CSkinMemStream& s) const
{
    CSkinShapeObject::Save(s);
    WriteArray(s, m_rects);
    WriteArray(s, m_words);
    WriteArray(s, m_grids2);
    WriteArray(s, m_images);
}

void CSkinPopupMenuObject::Load(CSkinMemStream& s)
{
    CSkinShapeObject::Load(s);
    ReadArray(s, m_rects);
    ReadArray(s, m_words);
    ReadArray(s, m_grids2);
    ReadPlain(s, m_images[0]);
    if (SkinVersionFrom(3))
        ReadPlain(s, m_images[1]);
}

// ---------------------------------------------------------------- Tooltip

CSkinTooltipObject::CSkinTooltipObject()
    : CSkinShapeObject(sotTooltip), m_initialDelay(1000), m_displayTime(8000), m_position(0)
{
    SetBorderLayout(278, 152, 1);
    m_colour1 = 0;
    m_colour2 = 0;
    m_colour3 = GetSysColor(COLOR_INFOBK);
}

void CSkinTooltipObject::Save(CSkinMemStream& s) const
{
    CSkinShapeObject::Save(s);
    s.WriteDword(m_initialDelay);
    s.WriteDword(m_displayTime);
    s.WriteDword(m_position);
    s.WriteDword((DWORD)m_text.size());
    s.Write(m_text.data(), (DWORD)m_text.size());
}

void CSkinTooltipObject::Load(CSkinMemStream& s)
{
    CSkinShapeObject::Load(s);
    s.ReadDword(m_initialDelay);
    s.ReadDword(m_displayTime);
    s.ReadDword(m_position);
    DWORD length = 0;
    if (!s.ReadCount(length, 1))
        return;
    m_text.assign(length, '\0');
    if (length)
        s.Read(&m_text[0], length);
    m_text.resize(strlen(m_text.c_str()));
}

// ---------------------------------------------------------------- CaptionButton

CSkinCaptionButtonObject::CSkinCaptionButtonObject()
    : CSkinCaptionElementObject(sotCaptionButton), m_kind(0), m_word(0)
{
    memset(m_images, 0, sizeof(m_images));
}

void CSkinCaptionButtonObject::Save(CSkinMemStream& s) const
{
    CSkinCaptionElementObject::Save(s);
    WriteArray(s, m_images);
    s.WriteDword(m_kind);
    s.WriteDword(m_word);
}

void CSkinCaptionButtonObject::Load(CSkinMemStream& s)
{
    CSkinCaptionElementObject::Load(s);
    ReadArray(s, m_images);
    s.ReadDword(m_kind);
    s.ReadDword(m_word);
}

// ---------------------------------------------------------------- CaptionStatic

CSkinCaptionStaticObject::CSkinCaptionStaticObject()
    : CSkinCaptionElementObject(sotCaptionStatic), m_word4(0), m_word5(0),
      m_font(MakeSkinFont("Arial"))
{
    memset(m_bytes, 0, sizeof(m_bytes));
    memset(&m_rect, 0, sizeof(m_rect));
    memset(m_caption, 0, sizeof(m_caption));
    memset(m_words, 0, sizeof(m_words));
    memset(&m_piece, 0, sizeof(m_piece));
}

CSkinCaptionStaticObject::~CSkinCaptionStaticObject()
{
    FreeSkinImagePiece(m_piece);
}

void CSkinCaptionStaticObject::Save(CSkinMemStream& s) const
{
    CSkinCaptionElementObject::Save(s);
    s.WriteDword(m_word4);
    WriteArray(s, m_bytes);
    s.WriteDword(m_word5);
    WritePlain(s, m_font);
    WritePlain(s, m_rect);
    WriteText(s, m_caption, SKIN_NAME_LEN);
    WriteArray(s, m_words);
}

void CSkinCaptionStaticObject::Load(CSkinMemStream& s)
{
    CSkinCaptionElementObject::Load(s);
    s.ReadDword(m_word4);
    ReadArray(s, m_bytes);
    s.ReadDword(m_word5);
    ReadPlain(s, m_font);
    ReadPlain(s, m_rect);
    s.ReadText(m_caption, SKIN_NAME_LEN);
    ReadArray(s, m_words);
}

void CSkinCaptionStaticObject::ReleaseResources()
{
    FreeSkinImagePiece(m_piece);
    CSkinCaptionElementObject::ReleaseResources();
}

void CSkinCaptionStaticObject::CreateResources()
{
    CSkinCaptionElementObject::CreateResources();
    MakeSkinImagePiece(m_store, m_image, m_piece);
}
