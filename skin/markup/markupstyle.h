#pragma once
// MarkupStyle: the text style of the markup drawer at one point of a text,
// one value record that opening tags push and closing tags restore.

#include <windows.h>

#include <string>

enum MarkupHAlign { mhaLeft = 0, mhaCenter = 1, mhaRight = 2 };
enum MarkupVAlign { mvaTop = 0, mvaMiddle = 1, mvaBottom = 2, mvaBaseline = 3 };
enum MarkupBorderStyle { mbsNone = 0, mbsSolid = 1, mbsDashed = 2, mbsDotted = 3, mbsDouble = 6 };
enum MarkupTransform { mtrNone = 0, mtrUpper = 1, mtrLower = 2, mtrCapitalize = 3 };
// Text background modes are those of SetBkMode.
enum MarkupBackMode { mbmTransparent = TRANSPARENT, mbmOpaque = OPAQUE };
// Background effects: -1 none, 0 solid, 1 to 6 the gradients of "bgeffect".
const int MarkupNoBackground = -1;

struct MarkupStyle
{
    MarkupStyle() { Reset(); }
    // The values every pass and every table starts from.
    void Reset(int fontHeight = 12);

    std::string tagName;
    int fontHeight;
    int weight;
    int italic;
    int underline;
    int strikeOut;
    int overline;
    std::string faceName;
    COLORREF textColour;
    COLORREF backColour;
    COLORREF borderLight;
    COLORREF borderDark;
    COLORREF gradientMiddle;
    COLORREF gradientEnd;
    int backMode;
    int backEffect;
    int hAlign;
    int vAlign;
    int borderStyle;
    int borderWidth;
    int transform;
    int marginLeft, marginRight, marginTop, marginBottom;
    int paddingLeft, paddingRight, paddingTop, paddingBottom;
    std::string backImage;
};
