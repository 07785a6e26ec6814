#include "skin/objects/skinresourceobjects.h"

#include <string.h>

#include "skin/core/skinstore.h"
#include "skin/core/skinversion.h"
#include "skin/image/ximage.h"
#include "skin/objects/skinfields.h"

// ---------------------------------------------------------------- Image

CSkinImageObject::CSkinImageObject() : CSkinObject(sotImage), m_format(0), m_image(NULL)
{
}

CSkinImageObject::~CSkinImageObject()
{
    delete m_image;
}

void CSkinImageObject::Save(CSkinMemStream& s) const
{
    CSkinObject::Save(s);
    s.WriteDword((DWORD)m_data.size());
    s.WriteDword(m_format);
    if (!m_data.empty())
        s.Write(&m_data[0], (DWORD)m_data.size());
}

void CSkinImageObject::Load(CSkinMemStream& s)
{
    CSkinObject::Load(s);
    DWORD length = 0;
    s.ReadDword(length);
    s.ReadDword(m_format);
    if (length > s.Remaining()) {
        s.SetCorrupt();
        return;
    }
    m_data.resize(length);
    if (length)
        s.Read(&m_data[0], length);
    Decode();
}

bool CSkinImageObject::SetData(const BYTE* data, DWORD length, DWORD format)
{
    m_data.assign(data, data + length);
    m_format = format;
    Decode();
    return m_image != NULL;
}

void CSkinImageObject::Decode()
{
    delete m_image;
    m_image = NULL;
    if (m_data.empty())
        return;
    CxImage* image = new CxImage();
    // Within what the store's pictures may still take.
    CSkinStore* store = GetStore();
    if (store)
        image->SetMaxMemory(store->GetImageMemoryLeft());
    if (image->Decode(&m_data[0], (DWORD)m_data.size(), m_format) &&
        (!store || store->ChargeImageMemory(image->GetSize())))
        m_image = image;
    else
        delete image;
}

// ---------------------------------------------------------------- Application

CSkinApplicationObject::CSkinApplicationObject() : CSkinObject(sotApplication), m_regionFlag(1)
{
    memset(m_texts, 0, sizeof(m_texts));
    m_colour3 = 0xFF00FF;
}

void CSkinApplicationObject::Save(CSkinMemStream& s) const
{
    CSkinObject::Save(s);
    for (int i = 0; i < 3; ++i)
        WriteText(s, m_texts[i], SKIN_NAME_LEN);
    s.WriteDword(m_regionFlag);
    WriteText(s, m_texts[3], SKIN_NAME_LEN);
    WriteText(s, m_texts[4], SKIN_NAME_LEN);
}

void CSkinApplicationObject::Load(CSkinMemStream& s)
{
    CSkinObject::Load(s);
    for (int i = 0; i < 3; ++i)
        s.ReadText(m_texts[i], SKIN_NAME_LEN);
    s.ReadDword(m_regionFlag);
    if (SkinVersionFrom(4)) {
        s.ReadText(m_texts[3], SKIN_NAME_LEN);
        s.ReadText(m_texts[4], SKIN_NAME_LEN);
    }
}

// ---------------------------------------------------------------- ImageList

CSkinImageListObject::CSkinImageListObject() : CSkinObject(sotImageList)
{
    memset(m_words, 0, sizeof(m_words));
    memset(&m_image, 0, sizeof(m_image));
}

void CSkinImageListObject::Save(CSkinMemStream& s) const
{
    CSkinObject::Save(s);
    WriteArray(s, m_words);
    WritePlain(s, m_image);
}

void CSkinImageListObject::Load(CSkinMemStream& s)
{
    CSkinObject::Load(s);
    ReadArray(s, m_words);
    ReadPlain(s, m_image);
}

// ---------------------------------------------------------------- SysColorTable

CSkinSysColorTableObject::CSkinSysColorTableObject() : CSkinObject(sotSysColorTable)
{
    memset(m_colours, 0, sizeof(m_colours));
    memset(m_brushes, 0, sizeof(m_brushes));
}

CSkinSysColorTableObject::~CSkinSysColorTableObject()
{
    ReleaseResources();
}

void CSkinSysColorTableObject::Save(CSkinMemStream& s) const
{
    CSkinObject::Save(s);
    WriteArray(s, m_colours);
}

void CSkinSysColorTableObject::Load(CSkinMemStream& s)
{
    CSkinObject::Load(s);
    ReadArray(s, m_colours);
}

void CSkinSysColorTableObject::ReleaseResources()
{
    CSkinObject::ReleaseResources();
    for (int i = 0; i < SysColourCount; ++i) {
        if (m_brushes[i])
            DeleteObject(m_brushes[i]);
        m_brushes[i] = NULL;
    }
}

void CSkinSysColorTableObject::CreateResources()
{
    CSkinObject::CreateResources();
    for (int i = 0; i < SysColourCount; ++i) {
        if (m_brushes[i])
            DeleteObject(m_brushes[i]);
        m_brushes[i] = CreateSolidBrush(m_colours[i]);
    }
}

COLORREF CSkinSysColorTableObject::GetColour(int index) const
{
    return m_colours[index >= 0 && index < SysColourCount ? index : 0];
}

HBRUSH CSkinSysColorTableObject::GetBrush(int index) const
{
    return m_brushes[index >= 0 && index < SysColourCount ? index : 0];
}
