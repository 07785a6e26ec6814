#pragma once
// Reading and writing the field kinds of record bodies. Every read forces the
// fixed text fields of what it reads to end in a NUL; a short read leaves
// what was there.

#include <windows.h>

#include "skin/core/skinmemstream.h"
#include "skin/objects/skintypes.h"

// The fixed text fields of each block kind; plain fields carry none.
template <class T> void Sanitize(T&) {}
void Sanitize(SkinImageRef& ref);
void Sanitize(SkinImageGrid& grid);
void Sanitize(SkinFontBlock& font);
void Sanitize(SkinButtonState& state);
void Sanitize(SkinCheckState& state);
void Sanitize(SkinSpinState& state);
void Sanitize(SkinScrollBarState& state);

template <class T> void ReadItems(CSkinMemStream& s, T* items, int count)
{
    s.Read(items, sizeof(T) * count);
    for (int i = 0; i < count; ++i)
        Sanitize(items[i]);
}
template <class T> void ReadPlain(CSkinMemStream& s, T& value)
{
    ReadItems(s, &value, 1);
}
template <class T, int N> void ReadArray(CSkinMemStream& s, T (&values)[N])
{
    ReadItems(s, values, N);
}
template <class T> void WriteItems(CSkinMemStream& s, const T* items, int count)
{
    s.Write(items, sizeof(T) * count);
}
template <class T> void WritePlain(CSkinMemStream& s, const T& value)
{
    WriteItems(s, &value, 1);
}
template <class T, int N> void WriteArray(CSkinMemStream& s, const T (&values)[N])
{
    WriteItems(s, values, N);
}
void WriteText(CSkinMemStream& s, const char* field, DWORD size);

// The default font of control objects and the caption font of shapes.
SkinFontBlock MakeSkinFont(LPCSTR face);
