#pragma once
// Pictures through the OLE picture loader (GIF, BMP, JPEG, ICO, WMF): the
// bytes are copied into a movable global block, a stream is made on it and
// OleLoadPicture decodes it.

#include <windows.h>
#include <ocidl.h>

// A new picture, or null when the loader does not understand the bytes. A
// bitmap or icon whose header points past the data, and any kind of data
// the loader is not known to read safely, never reach it.
IPicture* LoadOlePicture(const BYTE* data, size_t size);

// The picture's size in screen pixels.
void OlePictureSize(IPicture* picture, int& width, int& height);

// Renders the whole picture into the rectangle.
bool RenderOlePicture(IPicture* picture, HDC dc, int x, int y, int width, int height);
