#pragma once
// Reading and writing the field kinds of record bodies. Readers force every
// fixed text field to end in a NUL; a short read leaves what was there.

#include <windows.h>

#include "skin/core/skinmemstream.h"
#include "skin/objects/skintypes.h"

void SanitizeRef(SkinImageRef& ref);
void SanitizeGrid(SkinImageGrid& grid);
void SanitizeFont(SkinFontBlock& font);

void ReadRef(CSkinMemStream& s, SkinImageRef& ref);
void ReadGrid(CSkinMemStream& s, SkinImageGrid& grid);
void ReadFont(CSkinMemStream& s, SkinFontBlock& font);
void ReadButtonStates(CSkinMemStream& s, SkinButtonState* states, int count);
void ReadCheckStates(CSkinMemStream& s, SkinCheckState* states, int count);
void ReadSpinStates(CSkinMemStream& s, SkinSpinState* states, int count);
void ReadScrollBarStates(CSkinMemStream& s, SkinScrollBarState* states, int count);

template <class T> void ReadPlain(CSkinMemStream& s, T& value)
{
    s.Read(&value, sizeof(T));
}
template <class T> void WritePlain(CSkinMemStream& s, const T& value)
{
    s.Write(&value, sizeof(T));
}
template <class T, int N> void ReadArray(CSkinMemStream& s, T (&values)[N])
{
    s.Read(values, sizeof(values));
}
template <class T, int N> void WriteArray(CSkinMemStream& s, const T (&values)[N])
{
    s.Write(values, sizeof(values));
}
void WriteText(CSkinMemStream& s, const char* field, DWORD size);

// The default font of control objects and the caption font of shapes.
SkinFontBlock MakeSkinFont(LPCSTR face);
