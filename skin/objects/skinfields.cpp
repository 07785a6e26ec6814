#include "skin/objects/skinfields.h"

#include <string.h>

void SanitizeRef(SkinImageRef& ref)
{
    ref.name[sizeof(ref.name) - 1] = '\0';
}

void SanitizeGrid(SkinImageGrid& grid)
{
    grid.name[sizeof(grid.name) - 1] = '\0';
}

void SanitizeFont(SkinFontBlock& font)
{
    font.font.lfFaceName[LF_FACESIZE - 1] = '\0';
}

void ReadRef(CSkinMemStream& s, SkinImageRef& ref)
{
    s.Read(&ref, sizeof(ref));
    SanitizeRef(ref);
}

void ReadGrid(CSkinMemStream& s, SkinImageGrid& grid)
{
    s.Read(&grid, sizeof(grid));
    SanitizeGrid(grid);
}

void ReadFont(CSkinMemStream& s, SkinFontBlock& font)
{
    s.Read(&font, sizeof(font));
    SanitizeFont(font);
}

void ReadButtonStates(CSkinMemStream& s, SkinButtonState* states, int count)
{
    s.Read(states, sizeof(*states) * count);
    for (int i = 0; i < count; ++i)
        SanitizeGrid(states[i].image);
}

void ReadCheckStates(CSkinMemStream& s, SkinCheckState* states, int count)
{
    s.Read(states, sizeof(*states) * count);
    for (int i = 0; i < count; ++i) {
        SanitizeGrid(states[i].background);
        SanitizeRef(states[i].mark);
    }
}

void ReadSpinStates(CSkinMemStream& s, SkinSpinState* states, int count)
{
    s.Read(states, sizeof(*states) * count);
    for (int i = 0; i < count; ++i) {
        SanitizeRef(states[i].button);
        SanitizeRef(states[i].arrow);
    }
}

void ReadScrollBarStates(CSkinMemStream& s, SkinScrollBarState* states, int count)
{
    s.Read(states, sizeof(*states) * count);
    for (int i = 0; i < count; ++i) {
        SanitizeRef(states[i].arrow1);
        SanitizeRef(states[i].arrow2);
        SanitizeGrid(states[i].thumb);
        SanitizeGrid(states[i].track);
    }
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
