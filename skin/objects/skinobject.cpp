#include "skin/objects/skinobject.h"

#include <string.h>

#include "skin/core/skinstore.h"
#include "skin/core/skinversion.h"
#include "skin/draw/skindrawutils.h"
#include "skin/image/ximage.h"
#include "skin/objects/skinfields.h"
#include "skin/objects/skinobjectfactory.h"
#include "skin/objects/skinresourceobjects.h"

// ---------------------------------------------------------------- CSkinObject

CSkinObject::CSkinObject(int type)
    : m_colour1(GetSysColor(COLOR_BTNFACE)), m_colour2(GetSysColor(COLOR_WINDOWTEXT)),
      m_colour3(255), m_value1(0), m_value2(0), m_type(type), m_store(NULL)
{
    memset(m_name, 0, sizeof(m_name));
    memset(m_secondName, 0, sizeof(m_secondName));
    SetRect(&m_bounds, 0, 0, 60, 30);
}

CSkinObject::~CSkinObject()
{
    for (ChildMap::iterator it = m_children.begin(); it != m_children.end(); ++it)
        delete it->second;
}

void CSkinObject::SetName(LPCSTR name)
{
    memset(m_name, 0, sizeof(m_name));
    lstrcpynA(m_name, name ? name : "", SKIN_NAME_LEN);
}

void CSkinObject::ReleaseResources()
{
    for (ChildMap::iterator it = m_children.begin(); it != m_children.end(); ++it)
        it->second->ReleaseResources();
}

void CSkinObject::CreateResources()
{
    for (ChildMap::iterator it = m_children.begin(); it != m_children.end(); ++it)
        it->second->CreateResources();
}

const void* CSkinObject::FindEntry(LPCSTR) const
{
    return NULL;
}

void CSkinObject::SaveRecord(CSkinMemStream& s) const
{
    s.WriteDword((DWORD)m_type);
    Save(s);
}

void CSkinObject::Save(CSkinMemStream& s) const
{
    WriteText(s, m_name, SKIN_NAME_LEN);
    s.WriteDword(m_colour1);
    s.WriteDword(m_colour2);
    s.WriteDword(m_colour3);
    WriteText(s, m_secondName, SKIN_NAME_LEN);
    s.WriteDword(m_value1);
    WritePlain(s, m_bounds);
    s.WriteDword(m_value2);
    s.WriteDword((DWORD)m_children.size());
    for (ChildMap::const_iterator it = m_children.begin(); it != m_children.end(); ++it)
        it->second->SaveRecord(s);
}

void CSkinObject::Load(CSkinMemStream& s)
{
    s.ReadText(m_name, SKIN_NAME_LEN);
    s.ReadDword(m_colour1);
    s.ReadDword(m_colour2);
    s.ReadDword(m_colour3);
    s.ReadText(m_secondName, SKIN_NAME_LEN);
    s.ReadDword(m_value1);
    if (SkinVersionFrom(8)) {
        ReadPlain(s, m_bounds);
        s.ReadDword(m_value2);
    }
    LoadChildren(s);
}

void CSkinObject::LoadChildren(CSkinMemStream& s)
{
    DWORD count = 0;
    if (!s.ReadCount(count, 4))
        return;
    if (count && !s.EnterNesting()) {
        s.LeaveNesting();
        return;
    }
    for (DWORD i = 0; i < count && !s.IsCorrupt(); ++i) {
        DWORD type = 0;
        if (!s.ReadDword(type))
            break;
        CSkinObject* child = CreateSkinObject((int)type, false);
        if (!child)
            continue; // unknown or top-level-only type: only its id is consumed
        child->SetStore(m_store);
        child->Load(s);
        if (s.IsCorrupt()) {
            delete child;
            break;
        }
        AddChild(child);
    }
    if (count)
        s.LeaveNesting();
}

CSkinObject* CSkinObject::FindChild(LPCSTR name) const
{
    if (!name)
        return NULL;
    ChildMap::const_iterator it = m_children.find(name);
    if (it != m_children.end())
        return it->second;
    for (it = m_children.begin(); it != m_children.end(); ++it) {
        CSkinObject* found = it->second->FindChild(name);
        if (found)
            return found;
    }
    return NULL;
}

bool CSkinObject::AddChild(CSkinObject* child)
{
    if (!child)
        return false;
    if (m_children.count(child->m_name)) {
        delete child;
        return false;
    }
    child->SetStore(m_store);
    m_children[child->m_name] = child;
    return true;
}

bool CSkinObject::IsFontObject() const
{
    switch (m_type) {
    case sotButton: case sotCheckBox: case sotComboBox: case sotEdit: case sotGroupBox:
    case sotListBox: case sotProgressBar: case sotRadio: case sotScrollBar: case sotSlider:
    case sotStatic: case sotStatusBar: case sotTab: case sotToolBar: case sotControlBar:
    case sotScrollControl: case sotSpin: case sotListView: case sotTreeView: case sotRichEdit:
    case sotDateTime: case sotComboBoxEx: case sotMonthCalendar: case sotRebar: case sotHeader:
    case sotAnimate: case sotEntryList:
        return true;
    default:
        return false;
    }
}

// ---------------------------------------------------------------- image pieces

void FreeSkinImagePiece(SkinImagePiece& piece)
{
    delete piece.image;
    if (piece.region)
        DeleteObject(piece.region);
    piece.image = NULL;
    piece.region = NULL;
}

void MakeSkinImagePiece(CSkinStore* store, const SkinImageRef& ref, SkinImagePiece& piece)
{
    FreeSkinImagePiece(piece);
    if (!store || !ref.name[0])
        return;
    CSkinApplicationObject* app = (CSkinApplicationObject*)store->FindFirstOfType(sotApplication);
    CxImage* source = store->FindImage(ref.name);
    if (!source)
        return;
    CxImage* cut = new CxImage();
    // The pieces count against the store's bound for pictures too: many
    // objects cutting the whole of a large image must not add up.
    cut->SetMaxMemory(store->GetImageMemoryLeft());
    if (!source->Crop(ref.source.left, ref.source.top, ref.source.right, ref.source.bottom, cut)
        || !cut->IsValid() || !store->ChargeImageMemory(cut->GetSize())) {
        delete cut;
        return;
    }
    piece.image = cut;
    if (app && app->m_regionFlag) {
        HBITMAP bitmap = cut->MakeBitmap(NULL);
        if (bitmap) {
            piece.region = RegionFromBitmap(bitmap, app->m_colour3);
            DeleteObject(bitmap);
        }
    }
}

// ---------------------------------------------------------------- CSkinFontObject

CSkinFontObject::CSkinFontObject(int type)
    : CSkinObject(type), m_font(MakeSkinFont("MS Sans Serif")), m_controlId(0), m_value4(0),
      m_value5(0), m_hFont(NULL)
{
    memset(&m_background, 0, sizeof(m_background));
    memset(m_extra, 0, sizeof(m_extra));
}

CSkinFontObject::~CSkinFontObject()
{
    if (m_hFont)
        DeleteObject(m_hFont);
}

void CSkinFontObject::ReleaseResources()
{
    CSkinObject::ReleaseResources();
    if (m_hFont)
        DeleteObject(m_hFont);
    m_hFont = NULL;
}

void CSkinFontObject::CreateResources()
{
    CSkinObject::CreateResources();
    if (m_hFont)
        DeleteObject(m_hFont);
    m_hFont = CreateFontIndirectA(&m_font.font);
}

void CSkinFontObject::Save(CSkinMemStream& s) const
{
    CSkinObject::Save(s);
    WritePlain(s, m_font);
    WritePlain(s, m_background);
    s.WriteDword(m_controlId);
    s.WriteDword(m_value4);
    s.WriteDword(m_value5);
    WriteArray(s, m_extra);
}

void CSkinFontObject::Load(CSkinMemStream& s)
{
    CSkinObject::Load(s);
    ReadPlain(s, m_font);
    ReadPlain(s, m_background);
    if (SkinVersionBetween(4, 7)) {
        RECT discarded;
        ReadPlain(s, discarded);
        SetRect(&m_bounds, 0, 0, 60, 30);
    }
    if (SkinVersionFrom(6)) {
        s.ReadDword(m_controlId);
        if (GetSkinVersion().minor == 6)
            m_controlId = 0;
    }
    if (SkinVersionFrom(8))
        s.ReadDword(m_value4);
    if (SkinVersionFrom(10))
        s.ReadDword(m_value5);
    if (SkinVersionFrom(18))
        ReadArray(s, m_extra);
}

// ---------------------------------------------------------------- CSkinShapeObject

CSkinShapeObject::CSkinShapeObject(int type)
    : CSkinObject(type), m_captionFont(MakeSkinFont("Arial")), m_shapeValue1(0), m_shapeValue2(0),
      m_activeColour(0xFF0000), m_inactiveColour(0x727200), m_clientColour(0xFFFFFF),
      m_captionStyle(DefaultSkinTextStyle())
{
    memset(m_frameImages, 0, sizeof(m_frameImages));
    memset(m_grids, 0, sizeof(m_grids));
    memset(m_pieces, 0, sizeof(m_pieces));
    static const RECT layout[PartCount] = {
        {0, 0, 86, 30}, {86, 0, 173, 30}, {173, 0, 276, 30},
        {0, 30, 10, 148}, {10, 30, 266, 148}, {266, 30, 276, 148},
        {0, 148, 10, 160}, {10, 148, 266, 160}, {266, 148, 276, 160}};
    memcpy(m_layout, layout, sizeof(m_layout));
}

CSkinShapeObject::~CSkinShapeObject()
{
    for (int i = 0; i < ImageCount; ++i)
        FreeSkinImagePiece(m_pieces[i]);
}

void CSkinShapeObject::SetBorderLayout(int width, int height, int b)
{
    const int w = width, h = height;
    const RECT layout[PartCount] = {
        {0, 0, b, b}, {b, 0, w - b, b}, {w - b, 0, w, b},
        {0, b, b, h - b}, {b, b, w - b, h - b}, {w - b, b, w, h - b},
        {0, h - b, b, h}, {b, h - b, w, h}, {w - b, h - b, w, h}};
    memcpy(m_layout, layout, sizeof(m_layout));
}

void CSkinShapeObject::ReleaseResources()
{
    for (int i = 0; i < ImageCount; ++i)
        FreeSkinImagePiece(m_pieces[i]);
    CSkinObject::ReleaseResources();
}

void CSkinShapeObject::CreateResources()
{
    ReleaseResources();
    for (int i = 0; i < ImageCount; ++i)
        MakeSkinImagePiece(m_store, m_frameImages[i], m_pieces[i]);
    CSkinObject::CreateResources();
}

void CSkinShapeObject::Save(CSkinMemStream& s) const
{
    CSkinObject::Save(s);
    WriteArray(s, m_frameImages);
    WriteArray(s, m_layout);
    WritePlain(s, m_captionFont);
    s.WriteDword(m_shapeValue1);
    s.WriteDword(m_shapeValue2);
    s.WriteDword(m_activeColour);
    s.WriteDword(m_inactiveColour);
    s.WriteDword(m_clientColour);
    WritePlain(s, m_captionStyle);
    WriteArray(s, m_grids);
}

void CSkinShapeObject::Load(CSkinMemStream& s)
{
    CSkinObject::Load(s);
    ReadArray(s, m_frameImages);
    ReadArray(s, m_layout);
    ReadPlain(s, m_captionFont);
    s.ReadDword(m_shapeValue1);
    s.ReadDword(m_shapeValue2);
    s.ReadDword(m_activeColour);
    s.ReadDword(m_inactiveColour);
    s.ReadDword(m_clientColour);
    if (SkinVersionFrom(3))
        ReadPlain(s, m_captionStyle);
    if (!SkinVersionFrom(9))
        m_captionStyle = DefaultSkinTextStyle();
    if (SkinVersionFrom(13)) {
        ReadArray(s, m_grids);
    }
}

void CSkinShapeObject::SetBounds(const RECT& centre)
{
    const RECT& c = m_layout[4];
    LONG dW = (centre.right - centre.left) - (c.right - c.left);
    LONG dH = (centre.bottom - centre.top) - (c.bottom - c.top);
    m_layout[1].right += dW;
    m_layout[4].right += dW;
    m_layout[7].right += dW;
    OffsetRect(&m_layout[2], dW, 0);
    OffsetRect(&m_layout[5], dW, 0);
    OffsetRect(&m_layout[8], dW, 0);
    m_layout[3].bottom += dH;
    m_layout[4].bottom += dH;
    m_layout[5].bottom += dH;
    OffsetRect(&m_layout[6], 0, dH);
    OffsetRect(&m_layout[7], 0, dH);
    OffsetRect(&m_layout[8], 0, dH);
}

RECT CSkinShapeObject::GetDesignRect() const
{
    RECT r = {0, 0, m_layout[8].right, m_layout[8].bottom};
    return r;
}

RECT CSkinShapeObject::GetLayoutRect(int part) const
{
    if (part < 0 || part >= PartCount) {
        RECT empty = {0, 0, 0, 0};
        return empty;
    }
    return m_layout[part];
}

SkinImageRef CSkinShapeObject::GetFrameImage(int index) const
{
    if (index < 0 || index >= ImageCount) {
        SkinImageRef empty = {};
        return empty;
    }
    return m_frameImages[index];
}

// ---------------------------------------------------------------- caption elements

CSkinCaptionElementObject::CSkinCaptionElementObject(int type)
    : CSkinObject(type), m_anchor(0), m_command(0), m_visibility(0)
{
    memset(&m_image, 0, sizeof(m_image));
    memset(m_text, 0, sizeof(m_text));
}

void CSkinCaptionElementObject::Save(CSkinMemStream& s) const
{
    CSkinObject::Save(s);
    WritePlain(s, m_image);
    s.WriteDword(m_anchor);
    s.WriteDword(m_command);
    s.WriteDword(m_visibility);
    WriteText(s, m_text, SKIN_NAME_LEN);
}

void CSkinCaptionElementObject::Load(CSkinMemStream& s)
{
    CSkinObject::Load(s);
    ReadPlain(s, m_image);
    if (SkinVersionBetween(0, 7))
        ReadPlain(s, m_bounds);
    s.ReadDword(m_anchor);
    s.ReadDword(m_command);
    if (SkinVersionFrom(11)) {
        s.ReadDword(m_visibility);
        s.ReadText(m_text, SKIN_NAME_LEN);
    }
}

CSkinCaptionBarObject::CSkinCaptionBarObject()
    : CSkinCaptionElementObject(sotNone), m_font(MakeSkinFont("Arial")), m_word4(0), m_word5(0)
{
    memset(m_rects, 0, sizeof(m_rects));
    memset(&m_grid1, 0, sizeof(m_grid1));
    memset(&m_rect4, 0, sizeof(m_rect4));
    memset(&m_grid2, 0, sizeof(m_grid2));
    memset(m_buttonImages, 0, sizeof(m_buttonImages));
    memset(&m_iconImage, 0, sizeof(m_iconImage));
    memset(&m_grid3, 0, sizeof(m_grid3));
}

void CSkinCaptionBarObject::Save(CSkinMemStream& s) const
{
    CSkinCaptionElementObject::Save(s);
    WritePlain(s, m_font);
    WriteArray(s, m_rects);
    s.WriteDword(m_word4);
    WritePlain(s, m_grid1);
    WritePlain(s, m_rect4);
    s.WriteDword(m_word5);
    WritePlain(s, m_grid2);
    WriteArray(s, m_buttonImages);
    WritePlain(s, m_iconImage);
    WritePlain(s, m_grid3);
}

void CSkinCaptionBarObject::Load(CSkinMemStream& s)
{
    CSkinCaptionElementObject::Load(s);
    ReadPlain(s, m_font);
    ReadArray(s, m_rects);
    s.ReadDword(m_word4);
    ReadPlain(s, m_grid1);
    ReadPlain(s, m_rect4);
    s.ReadDword(m_word5);
    ReadPlain(s, m_grid2);
    if (SkinVersionFrom(2)) {
        ReadArray(s, m_buttonImages);
        ReadPlain(s, m_iconImage);
    }
    if (SkinVersionFrom(3))
        ReadPlain(s, m_grid3);
}
