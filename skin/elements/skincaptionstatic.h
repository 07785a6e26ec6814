#pragma once
// CSkinCaptionStatic: an area of a skinned frame that shows the window
// title or a fixed text, marks a sizing or caption area for hit-testing,
// or shapes the window region. Its CaptionStatic object gives:
//   word 4        the kind: 1 window title, 2 to 9 sizing edges and
//                 corners, 10 caption, 11 drawn by the frame window
//                 (WM_DRAWITEM), any other a fixed text
//   bytes 0-15    the text style (effect, text and shadow colours)
//   bytes 16, 17  horizontal (0 left, 1 centre, 2 right) and vertical
//                 (0 top, 1 centre, 2 bottom) alignment
//   words[1]      anchor flags: 1 left, 2 top, 4 right, 8 bottom (0: the
//                 element's anchor mode instead)
//   word 5        how the picture's shape is placed: 0 at the element's
//                 origin, 1 tiled, 2 scaled
//   words[0]      how that shape joins the window region: 0 AND, 1 DIFF,
//                 2 OR, 3 XOR, 4 the element's rectangle taken out, then
//                 the shape added
//   caption       the fixed text; font the font; word 2 the control id
// and its element image the background picture (whose shape it is; its
// pixels of the transparent colour are not drawn).

#include "skin/elements/skinelement.h"

class CSkinCaptionStaticObject;

class CSkinCaptionStatic : public CSkinElement
{
public:
    enum
    {
        KindTitle = 1,
        KindLeft = 2,
        KindTopLeft = 3,
        KindTop = 4,
        KindTopRight = 5,
        KindRight = 6,
        KindBottomRight = 7,
        KindBottom = 8,
        KindBottomLeft = 9,
        KindCaption = 10,
        KindOwnerDraw = 11
    };
    enum { AnchorLeft = 1, AnchorTop = 2, AnchorRight = 4, AnchorBottom = 8 };

    CSkinCaptionStatic(CSkinWnd* owner, CSkinCaptionStaticObject* object);

    void Draw(HDC dc) override;
    int GetHitCode() const override;
    bool HitTest(POINT point) const override;
    void Anchor(int width, int height) override;
    void CombineRegion(HRGN region) override;

    DWORD GetKind() const;
    // The picture's shape placed over the element, in window coordinates;
    // NULL when the picture has none. The caller owns it.
    HRGN MakeShapeRegion() const;

private:
    CSkinCaptionStaticObject* Object() const;
};
