#pragma once
// CSkinObject: the base of every skin object (one named look of a skin), and
// the bases the object classes share: CSkinFontObject (control objects with a
// font), CSkinShapeObject (window-like objects with a nine-part frame) and
// CSkinCaptionElementObject (caption buttons and texts). Objects belong to
// their store (top level) or to their parent (children). Loading reads the
// body of the file's version (GetSkinVersion); saving writes the newest
// layout.

#include <windows.h>

#include <map>
#include <string>

#include "skin/core/skinmemstream.h"
#include "skin/objects/skintypes.h"

class CSkinStore;
class CxImage;

class CSkinObject
{
public:
    typedef std::map<std::string, CSkinObject*> ChildMap;

    explicit CSkinObject(int type);
    virtual ~CSkinObject();

    virtual COLORREF GetTransparentColour() const { return 0xFF00FF; }
    virtual void ReleaseResources();
    virtual void CreateResources();
    // Writes the body (not the type id) in the newest layout.
    virtual void Save(CSkinMemStream& s) const;
    virtual void Load(CSkinMemStream& s);
    virtual void SetControlId(DWORD) {}
    virtual void SetBounds(const RECT& bounds) { m_bounds = bounds; }
    virtual const void* FindEntry(LPCSTR name) const;

    // The record: type id, then body.
    void SaveRecord(CSkinMemStream& s) const;

    int GetType() const { return m_type; }
    LPCSTR GetName() const { return m_name; }
    void SetName(LPCSTR name);
    CSkinStore* GetStore() const { return m_store; }
    void SetStore(CSkinStore* store) { m_store = store; }
    const ChildMap& GetChildren() const { return m_children; }
    // Own children by exact name first, then each child's subtree in name
    // order.
    CSkinObject* FindChild(LPCSTR name) const;
    // Takes the child; false (and the child deleted) for a duplicate name.
    bool AddChild(CSkinObject* child);

    // Whether this object is one of the control objects, font-carrying
    // classes a control skinner draws with.
    bool IsFontObject() const;

    char m_name[SKIN_NAME_LEN];
    COLORREF m_colour1;
    COLORREF m_colour2;
    COLORREF m_colour3;
    char m_secondName[SKIN_NAME_LEN];
    DWORD m_value1;
    RECT m_bounds;
    DWORD m_value2;

protected:
    void LoadChildren(CSkinMemStream& s);

    int m_type;
    CSkinStore* m_store;
    ChildMap m_children;

private:
    CSkinObject(const CSkinObject&);
    CSkinObject& operator=(const CSkinObject&);
};

// A piece of a skin image cut out for a frame part, with its region when the
// skin's Application object asks for window regions.
struct SkinImagePiece
{
    CxImage* image;
    HRGN region;
};

// Cuts ref's source rect out of the store's image into piece (emptied first);
// a missing image leaves it empty.
void MakeSkinImagePiece(CSkinStore* store, const SkinImageRef& ref, SkinImagePiece& piece);
void FreeSkinImagePiece(SkinImagePiece& piece);

class CSkinFontObject : public CSkinObject
{
public:
    explicit CSkinFontObject(int type);
    ~CSkinFontObject();

    void ReleaseResources() override;
    void CreateResources() override;
    void Save(CSkinMemStream& s) const override;
    void Load(CSkinMemStream& s) override;
    void SetControlId(DWORD id) override { m_controlId = id; }

    HFONT GetFont() const { return m_hFont; }
    COLORREF GetFontColour() const { return m_font.colour; }

    SkinFontBlock m_font;
    SkinImageGrid m_background;
    DWORD m_controlId;
    DWORD m_value4;
    DWORD m_value5;
    BYTE m_extra[20];

protected:
    HFONT m_hFont;
};

class CSkinShapeObject : public CSkinObject
{
public:
    enum { PartCount = 9, ImageCount = 18 };

    explicit CSkinShapeObject(int type = sotShape);
    ~CSkinShapeObject();

    void ReleaseResources() override;
    void CreateResources() override;
    void Save(CSkinMemStream& s) const override;
    void Load(CSkinMemStream& s) override;
    // Fits the layout to a new centre size.
    void SetBounds(const RECT& centre) override;

    RECT GetDesignRect() const;
    RECT GetLayoutRect(int part) const;
    SkinImageRef GetFrameImage(int index) const;
    const SkinImagePiece& GetImagePiece(int index) const { return m_pieces[index]; }

    SkinImageRef m_frameImages[ImageCount];
    RECT m_layout[PartCount];
    SkinFontBlock m_captionFont;
    DWORD m_shapeValue1;
    DWORD m_shapeValue2;
    COLORREF m_activeColour;
    COLORREF m_inactiveColour;
    COLORREF m_clientColour;
    SkinTextStyle m_captionStyle;
    SkinImageGrid m_grids[2];

protected:
    void SetBorderLayout(int width, int height, int border);

    SkinImagePiece m_pieces[ImageCount];
};

class CSkinCaptionElementObject : public CSkinObject
{
public:
    explicit CSkinCaptionElementObject(int type);

    void Save(CSkinMemStream& s) const override;
    void Load(CSkinMemStream& s) override;

    SkinImageRef m_image;
    DWORD m_anchor;      // word 1
    DWORD m_command;     // word 2
    DWORD m_visibility;  // word 3, from 1.11
    char m_text[SKIN_NAME_LEN];
};

// The caption bar embedded in every FrameWnd record.
class CSkinCaptionBarObject : public CSkinCaptionElementObject
{
public:
    CSkinCaptionBarObject();

    void Save(CSkinMemStream& s) const override;
    void Load(CSkinMemStream& s) override;

    SkinFontBlock m_font;
    RECT m_rects[3];
    DWORD m_word4;
    SkinImageGrid m_grid1;
    RECT m_rect4;
    DWORD m_word5;
    SkinImageGrid m_grid2;
    SkinImageRef m_buttonImages[11];
    SkinImageRef m_iconImage;
    SkinImageGrid m_grid3;
};
