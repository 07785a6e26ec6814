#include "skin/objects/skinfields.h"

#include <string.h>

void Sanitize(SkinImageRef& ref)
{
    ref.name[sizeof(ref.name) - 1] = '\0';
}

void Sanitize(SkinImageGrid& grid)
{
    grid.name[sizeof(grid.name) - 1] = '\0';
}

void Sanitize(SkinFontBlock& font)
{
    font.font.lfFaceName[LF_FACESIZE - 1] = '\0';
}

void Sanitize(SkinButtonState& state)
{
    Sanitize(state.image);
}

void Sanitize(SkinCheckState& state)
{
    Sanitize(state.background);
    Sanitize(state.mark);
}

void Sanitize(SkinSpinState& state)
{
    Sanitize(state.button);
    Sanitize(state.arrow);
}

void Sanitize(SkinScrollBarState& state)
{
    Sanitize(state.arrow1);
    Sanitize(state.arrow2);
    Sanitize(state.thumb);
    Sanitize(state.track);
}

void WriteText(CSkinMemStream& s, const char* field, DWORD size)
{
    s.Write(field, size);
}

SkinFontBlock MakeSkinFont(LPCSTR face)
{
    SkinFontBlock block = {};
    block.font.lfHeight = -12;
    block.font.lfWeight = FW_NORMAL;
    block.font.lfOutPrecision = OUT_STROKE_PRECIS;
    block.font.lfClipPrecision = CLIP_STROKE_PRECIS;
    block.font.lfQuality = DRAFT_QUALITY;
    lstrcpynA(block.font.lfFaceName, face, LF_FACESIZE);
    return block;
}
