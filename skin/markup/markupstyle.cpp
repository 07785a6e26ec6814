#include "skin/markup/markupstyle.h"

void MarkupStyle::Reset(int height)
{
    tagName.clear();
    fontHeight = height;
    weight = FW_NORMAL;
    italic = underline = strikeOut = overline = 0;
    faceName = "Verdana";
    textColour = RGB(0, 0, 0);
    backColour = RGB(255, 255, 255);
    borderLight = borderDark = RGB(0, 0, 0);
    gradientMiddle = gradientEnd = RGB(255, 255, 255);
    backMode = mbmTransparent;
    backEffect = MarkupNoBackground;
    hAlign = mhaLeft;
    vAlign = mvaBaseline;
    borderStyle = mbsNone;
    borderWidth = 0;
    transform = mtrNone;
    marginLeft = marginRight = marginTop = marginBottom = 2;
    paddingLeft = paddingRight = paddingTop = paddingBottom = 0;
    backImage.clear();
}
