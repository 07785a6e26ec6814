#pragma once
// Skin objects of windows and their captions: FrameWnd, ShapeWnd, PopupMenu,
// Tooltip, CaptionButton and CaptionStatic.

#include "skin/objects/skinobject.h"

class CSkinFrameWndObject : public CSkinShapeObject
{
public:
    CSkinFrameWndObject();

    void Save(CSkinMemStream& s) const override;
    void Load(CSkinMemStream& s) override;
    void ReleaseResources() override;
    void CreateResources() override;

    DWORD m_captionBarType;    // read and kept, not interpreted
    CSkinCaptionBarObject m_captionBar;
    DWORD m_backgroundFlag;    // from 1.6: the dialog skinner paints the client background
    SkinImageRef m_mdiBackground;
};

class CSkinShapeWndObject : public CSkinObject
{
public:
    CSkinShapeWndObject();

    void Save(CSkinMemStream& s) const override;
    void Load(CSkinMemStream& s) override;

    SkinImageRef m_image;
    RECT m_rects[2];
    BYTE m_byte;
    DWORD m_words[2];
};

class CSkinPopupMenuObject : public CSkinShapeObject
{
public:
    CSkinPopupMenuObject();

    void Save(CSkinMemStream& s) const override;
    void Load(CSkinMemStream& s) override;

    RECT m_rects[3];
    DWORD m_words[2];
    SkinImageGrid m_grids2[2];
    SkinImageRef m_images[2]; // the second from 1.3
};

class CSkinTooltipObject : public CSkinShapeObject
{
public:
    CSkinTooltipObject();

    void Save(CSkinMemStream& s) const override;
    void Load(CSkinMemStream& s) override;

    DWORD m_initialDelay;  // milliseconds
    DWORD m_displayTime;   // milliseconds
    DWORD m_position;      // preferred position, 0 to 7
    std::string m_text;    // style-sheet text for the markup drawer
};

class CSkinCaptionButtonObject : public CSkinCaptionElementObject
{
public:
    CSkinCaptionButtonObject();

    void Save(CSkinMemStream& s) const override;
    void Load(CSkinMemStream& s) override;

    SkinImageRef m_images[3];
    DWORD m_kind;   // 1 and 5 follow WS_SYSMENU, 3 WS_MAXIMIZEBOX, 4 WS_MINIMIZEBOX
    DWORD m_word;
};

class CSkinCaptionStaticObject : public CSkinCaptionElementObject
{
public:
    CSkinCaptionStaticObject();
    ~CSkinCaptionStaticObject();

    void Save(CSkinMemStream& s) const override;
    void Load(CSkinMemStream& s) override;
    void ReleaseResources() override;
    void CreateResources() override;

    const SkinImagePiece& GetImagePiece() const { return m_piece; }

    DWORD m_word4;
    BYTE m_bytes[20];
    DWORD m_word5;
    SkinFontBlock m_font;
    RECT m_rect;
    char m_caption[SKIN_NAME_LEN];
    DWORD m_words[2];

private:
    SkinImagePiece m_piece;
};
