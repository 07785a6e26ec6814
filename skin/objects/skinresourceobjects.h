#pragma once
// Skin objects that hold data rather than a control's look: Image (an encoded
// picture), Voice, Application (skin-wide settings), ImageList and the
// system-colour table.

#include <vector>

#include "skin/objects/skinobject.h"

class CSkinImageObject : public CSkinObject
{
public:
    CSkinImageObject();
    ~CSkinImageObject();

    void Save(CSkinMemStream& s) const override;
    void Load(CSkinMemStream& s) override;

    // The decoded picture, NULL when the bytes did not decode.
    CxImage* GetImage() const { return m_image; }
    // Replaces the encoded bytes and decodes them (format 1 BMP, 2 TGA).
    bool SetData(const BYTE* data, DWORD length, DWORD format);

    DWORD m_format;
    std::vector<BYTE> m_data;

private:
    void Decode();
    CxImage* m_image;
};

class CSkinVoiceObject : public CSkinObject
{
public:
    CSkinVoiceObject() : CSkinObject(sotVoice) {}
};

class CSkinApplicationObject : public CSkinObject
{
public:
    CSkinApplicationObject();

    void Save(CSkinMemStream& s) const override;
    void Load(CSkinMemStream& s) override;

    char m_texts[5][SKIN_NAME_LEN]; // information texts; the last two from 1.4
    DWORD m_regionFlag;             // build window regions from the frame images
};

class CSkinImageListObject : public CSkinObject
{
public:
    CSkinImageListObject();

    void Save(CSkinMemStream& s) const override;
    void Load(CSkinMemStream& s) override;

    DWORD m_words[4];
    SkinImageRef m_image;
};

class CSkinSysColorTableObject : public CSkinObject
{
public:
    enum { ColourCount = 100, SysColourCount = 31 };

    CSkinSysColorTableObject();
    ~CSkinSysColorTableObject();

    void Save(CSkinMemStream& s) const override;
    void Load(CSkinMemStream& s) override;
    void ReleaseResources() override;
    void CreateResources() override;

    // Entry 0 answers an index outside 0 to 30.
    COLORREF GetColour(int index) const;
    HBRUSH GetBrush(int index) const;

    COLORREF m_colours[ColourCount];

private:
    HBRUSH m_brushes[SysColourCount];
};
