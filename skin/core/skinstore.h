#pragma once
// CSkinStore: one skin in memory: the file's top-level objects, images and
// sounds by name, the system-colour table, the file's header and version,
// and the lock that guards them. Load reads a packed skin file; Save writes
// one back in the newest layout (it reads the same).

#include <windows.h>

#include <map>
#include <string>

#include "skin/core/skinlock.h"
#include "skin/core/skinmemstream.h"
#include "skin/core/skinversion.h"
#include "skin/objects/skinobject.h"

class CxImage;
class CSkinSysColorTableObject;

enum SkinLoadError
{
    sleNone = 0,
    sleUnpack = 5,   // not a packed skin, corrupt LZO data or a wrong size
    sleFormat = 6,   // truncated header, or a count or length past the end
    sleVersion = 7   // wrong magic or version
};

class CSkinStore
{
public:
    enum { HeaderSize = 188, MagicLength = 19, CountOffset = 176 };
    typedef std::map<std::string, CSkinObject*> ObjectMap;

    CSkinStore();
    ~CSkinStore();

    BOOL Load(const CSkinMemStream& packed);
    // The unpacked file: header (version 1.18, the object count), objects,
    // images, sounds.
    bool Save(CSkinMemStream& unpacked) const;
    bool SavePacked(CSkinMemStream& packed) const;
    void Clear();

    CSkinObject* FindByName(LPCSTR name);
    CSkinObject* FindFirstOfType(int type);
    CxImage* FindImage(LPCSTR name);
    CSkinSysColorTableObject* GetSysColorTable();
    void SetSysColorsOff(bool off) { m_sysColorsOff = off; }

    // Enters a top-level object (the store takes it); an object of the same
    // name is replaced and deleted.
    void AddObject(CSkinObject* object);
    void AddImage(CSkinObject* image);
    void AddSound(CSkinObject* sound);

    // Decoded pictures (the images and the pieces cut from them) take at
    // most ImageMemoryBase + ImageMemoryPerByte bytes for each byte of the
    // unpacked file, together: a small file cannot make the program
    // allocate gigabytes. A store not loaded from a file has no bound.
    enum { ImageMemoryBase = 4 * 1024 * 1024, ImageMemoryPerByte = 32 };
    ULONGLONG GetImageMemoryLeft() const { return m_imageMemoryLeft; }
    // Counts a decoded picture against the bound; false (nothing counted)
    // when it does not fit: the picture is then not to be kept.
    bool ChargeImageMemory(ULONGLONG bytes);

    int GetError() const { return m_error; }
    SkinVersion GetVersion() const { return m_version; }
    const BYTE* GetHeader() const { return m_header; }
    const ObjectMap& GetObjects() const { return m_objects; }
    const ObjectMap& GetImages() const { return m_images; }
    const ObjectMap& GetSounds() const { return m_sounds; }
    CSkinLock& GetLock() { return m_lock; }

private:
    CSkinStore(const CSkinStore&);
    CSkinStore& operator=(const CSkinStore&);

    // Empties the store and keeps the error.
    BOOL Fail(int error);
    bool LoadObjects(CSkinMemStream& s);
    bool LoadList(CSkinMemStream& s, ObjectMap& map, int type);
    static void Enter(ObjectMap& map, CSkinObject* object);

    int m_error;
    ObjectMap m_images;
    ObjectMap m_sounds;
    BYTE m_header[HeaderSize];
    ObjectMap m_objects;
    bool m_sysColorsOff;
    CSkinSysColorTableObject* m_sysColorTable;
    ULONGLONG m_imageMemoryLeft;
    SkinVersion m_version;
    CSkinLock m_lock;
};

extern const char SKIN_FILE_MAGIC[];
