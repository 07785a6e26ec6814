// cw_skin_dump: loads a skin and prints its object tree.
//
//   cw_skin_dump FILE                 a skin file (packed, as in the resource)
//   cw_skin_dump -module [PATH]       resource "SKIN" 187 of a module (this
//                                     program when no path is given)
//
// Exit code 0 when the skin loaded, 1 with the library's error code printed
// otherwise.

#include <stdio.h>
#include <string.h>

#include <vector>

#include "skin/core/skinlibrarystate.h"
#include "skin/core/skinmanager.h"
#include "skin/core/skinstore.h"
#include "skin/image/ximage.h"
#include "skin/objects/skinresourceobjects.h"
#include "skin/objects/skinwindowobjects.h"
#include "skin/skinlibrary.h"

static void PrintObject(const CSkinObject* object, int depth)
{
    const char* type = SkinTypeName(object->GetType());
    printf("%*s\"%s\" %s", depth * 2, "", object->GetName(),
           type ? type : object->GetType() == sotShape ? "Shape" : "EntryList");
    if (object->IsFontObject()) {
        const CSkinFontObject* f = static_cast<const CSkinFontObject*>(object);
        const COLORREF c = f->m_font.colour;
        printf("  font \"%s\" %ld %ld #%02X%02X%02X", f->m_font.font.lfFaceName, f->m_font.font.lfHeight,
               f->m_font.font.lfWeight, GetRValue(c), GetGValue(c), GetBValue(c));
        if (f->m_controlId)
            printf("  id %lu", (unsigned long)f->m_controlId);
    } else if (object->GetType() == sotFrameWnd || object->GetType() == sotShape) {
        RECT design = static_cast<const CSkinShapeObject*>(object)->GetDesignRect();
        printf("  design %ldx%ld", design.right, design.bottom);
    }
    printf("\n");
    const CSkinObject::ChildMap& children = object->GetChildren();
    for (CSkinObject::ChildMap::const_iterator it = children.begin(); it != children.end(); ++it)
        PrintObject(it->second, depth + 1);
}

static void PrintStore(CSkinStore& store)
{
    SkinVersion v = store.GetVersion();
    printf("skin version %d.%d: %u objects, %u images, %u sounds\n", v.major, v.minor,
           (unsigned)store.GetObjects().size(), (unsigned)store.GetImages().size(),
           (unsigned)store.GetSounds().size());
    const CSkinStore::ObjectMap& objects = store.GetObjects();
    for (CSkinStore::ObjectMap::const_iterator it = objects.begin(); it != objects.end(); ++it)
        PrintObject(it->second, 0);
    const CSkinStore::ObjectMap& images = store.GetImages();
    for (CSkinStore::ObjectMap::const_iterator it = images.begin(); it != images.end(); ++it) {
        const CSkinImageObject* image = static_cast<const CSkinImageObject*>(it->second);
        CxImage* pixels = image->GetImage();
        printf("image \"%s\" format %lu, %u bytes", image->GetName(), (unsigned long)image->m_format,
               (unsigned)image->m_data.size());
        if (pixels)
            printf(", %lux%lu at %u bits\n", (unsigned long)pixels->GetWidth(),
                   (unsigned long)pixels->GetHeight(), pixels->GetBpp());
        else
            printf(", not decodable\n");
    }
}

int main(int argc, char** argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: cw_skin_dump FILE | -module [PATH]\n");
        return 2;
    }
    if (strcmp(argv[1], "-module") == 0) {
        HMODULE module = argc > 2 ? LoadLibraryExA(argv[2], NULL, LOAD_LIBRARY_AS_DATAFILE) : GetModuleHandleA(NULL);
        if (!module) {
            fprintf(stderr, "cw_skin_dump: cannot open %s\n", argv[2]);
            return 1;
        }
        if (!InitSkinLibrary(GetModuleHandleA(NULL), "cw_skin_dump", NULL, 0)) {
            fprintf(stderr, "cw_skin_dump: InitSkinLibrary failed, error %d\n", GetSkinLibraryError());
            return 1;
        }
        int rc = 0;
        if (LoadSkinFromResource(module, MAKEINTRESOURCEA(187), "SKIN")) {
            PrintStore(*GetSkinManager().GetStore());
        } else {
            fprintf(stderr, "cw_skin_dump: LoadSkinFromResource failed, error %d\n", GetSkinLibraryError());
            rc = 1;
        }
        ExitSkinLibrary();
        return rc;
    }
    FILE* file = fopen(argv[1], "rb");
    if (!file) {
        fprintf(stderr, "cw_skin_dump: cannot open %s\n", argv[1]);
        return 1;
    }
    std::vector<BYTE> data;
    BYTE buffer[65536];
    size_t n;
    while ((n = fread(buffer, 1, sizeof(buffer), file)) > 0)
        data.insert(data.end(), buffer, buffer + n);
    fclose(file);
    CSkinMemStream packed(data.empty() ? NULL : &data[0], (DWORD)data.size());
    CSkinStore store;
    if (!store.Load(packed)) {
        fprintf(stderr, "cw_skin_dump: not a readable skin, error %d\n", store.GetError());
        return 1;
    }
    PrintStore(store);
    return 0;
}
