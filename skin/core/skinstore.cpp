#include "skin/core/skinstore.h"

#include <string.h>

#include "foundation/byteorder.h"
#include "skin/core/skinversion.h"
#include "skin/objects/skinobjectfactory.h"
#include "skin/objects/skinresourceobjects.h"

const char SKIN_FILE_MAGIC[] = "SKINTOOLS_SKIN_FILE";

namespace {

const ULONGLONG kNoImageBound = ~0ULL;

} // namespace

CSkinStore::CSkinStore()
    : m_error(0), m_sysColorsOff(false), m_sysColorTable(NULL), m_imageMemoryLeft(kNoImageBound)
{
    memset(m_header, 0, sizeof(m_header));
    m_version.major = 1;
    m_version.minor = SKIN_NEWEST_MINOR;
}

CSkinStore::~CSkinStore()
{
    Clear();
}

void CSkinStore::Clear()
{
    CSkinLockScope scope(m_lock);
    ObjectMap* maps[3] = {&m_objects, &m_images, &m_sounds};
    for (int i = 0; i < 3; ++i) {
        for (ObjectMap::iterator it = maps[i]->begin(); it != maps[i]->end(); ++it)
            delete it->second;
        maps[i]->clear();
    }
    m_sysColorTable = NULL;
    m_imageMemoryLeft = kNoImageBound;
    m_version.major = 1;
    m_version.minor = SKIN_NEWEST_MINOR;
    SetSkinVersion(1, SKIN_NEWEST_MINOR);
}

bool CSkinStore::ChargeImageMemory(ULONGLONG bytes)
{
    CSkinLockScope scope(m_lock);
    if (m_imageMemoryLeft == kNoImageBound)
        return true;
    if (bytes > m_imageMemoryLeft)
        return false;
    m_imageMemoryLeft -= bytes;
    return true;
}

BOOL CSkinStore::Fail(int error)
{
    Clear();
    m_error = error;
    return FALSE;
}

void CSkinStore::Enter(ObjectMap& map, CSkinObject* object)
{
    ObjectMap::iterator it = map.find(object->GetName());
    if (it != map.end()) {
        delete it->second;
        it->second = object;
    } else {
        map[object->GetName()] = object;
    }
}

void CSkinStore::AddObject(CSkinObject* object)
{
    if (!object)
        return;
    CSkinLockScope scope(m_lock);
    object->SetStore(this);
    ObjectMap::iterator it = m_objects.find(object->GetName());
    if (it != m_objects.end() && it->second == m_sysColorTable)
        m_sysColorTable = NULL;
    Enter(m_objects, object);
    if (object->GetType() == sotSysColorTable) {
        m_sysColorTable = (CSkinSysColorTableObject*)object;
    } else if (!m_sysColorTable) {
        // The replaced table may have had a namesake of another type.
        for (it = m_objects.begin(); it != m_objects.end(); ++it) {
            if (it->second->GetType() == sotSysColorTable) {
                m_sysColorTable = (CSkinSysColorTableObject*)it->second;
                break;
            }
        }
    }
}

void CSkinStore::AddImage(CSkinObject* image)
{
    if (!image)
        return;
    if (image->GetType() != sotImage) {
        delete image;
        return;
    }
    CSkinLockScope scope(m_lock);
    image->SetStore(this);
    Enter(m_images, image);
}

void CSkinStore::AddSound(CSkinObject* sound)
{
    if (!sound)
        return;
    CSkinLockScope scope(m_lock);
    sound->SetStore(this);
    Enter(m_sounds, sound);
}

BOOL CSkinStore::Load(const CSkinMemStream& packed)
{
    Clear();
    CSkinLockScope scope(m_lock);
    m_error = sleNone;

    CSkinMemStream s;
    if (!CSkinMemStream::Unpack(packed, s))
        return Fail(sleUnpack);
    s.Rewind();
    if (s.Read(m_header, HeaderSize) != HeaderSize)
        return Fail(sleFormat);
    if (memcmp(m_header, SKIN_FILE_MAGIC, MagicLength) != 0 || m_header[20] != 1
        || m_header[21] > SKIN_NEWEST_MINOR)
        return Fail(sleVersion);
    m_version.major = m_header[20];
    m_version.minor = m_header[21];
    SetSkinVersion(m_version.major, m_version.minor);
    m_imageMemoryLeft = ImageMemoryBase + (ULONGLONG)ImageMemoryPerByte * s.GetSize();

    if (!LoadObjects(s) || !LoadList(s, m_images, sotImage) || !LoadList(s, m_sounds, sotVoice))
        return Fail(sleFormat);

    for (ObjectMap::iterator it = m_objects.begin(); it != m_objects.end(); ++it)
        it->second->CreateResources();
    SetSkinVersion(1, SKIN_NEWEST_MINOR);
    return TRUE;
}

bool CSkinStore::LoadObjects(CSkinMemStream& s)
{
    const DWORD count = LoadLE32(m_header + CountOffset);
    if (count > s.Remaining() / 4)
        return false;
    for (DWORD i = 0; i < count; ++i) {
        DWORD type = 0;
        if (!s.ReadDword(type))
            return false;
        CSkinObject* object = CreateSkinObject((int)type, true);
        if (!object)
            continue; // skipped: only the id is consumed
        object->SetStore(this);
        object->Load(s);
        if (s.IsCorrupt()) {
            delete object;
            return false;
        }
        AddObject(object);
    }
    return true;
}

bool CSkinStore::LoadList(CSkinMemStream& s, ObjectMap& map, int type)
{
    DWORD count = 0;
    if (!s.ReadCount(count, 4))
        return false;
    for (DWORD i = 0; i < count; ++i) {
        DWORD ignored = 0;
        if (!s.ReadDword(ignored))
            return false;
        CSkinObject* object = type == sotImage ? (CSkinObject*)new CSkinImageObject()
                                               : (CSkinObject*)new CSkinVoiceObject();
        object->SetStore(this);
        object->Load(s);
        if (s.IsCorrupt()) {
            delete object;
            return false;
        }
        Enter(map, object);
    }
    return true;
}

bool CSkinStore::Save(CSkinMemStream& out) const
{
    CSkinLockScope scope(const_cast<CSkinLock&>(m_lock));
    BYTE header[HeaderSize];
    memcpy(header, m_header, HeaderSize);
    memcpy(header, SKIN_FILE_MAGIC, MagicLength);
    header[20] = 1;
    header[21] = SKIN_NEWEST_MINOR;
    StoreLE32(header + CountOffset, (DWORD)m_objects.size());
    out.Reserve(HeaderSize);
    out.Write(header, HeaderSize);
    for (ObjectMap::const_iterator it = m_objects.begin(); it != m_objects.end(); ++it)
        it->second->SaveRecord(out);
    const ObjectMap* lists[2] = {&m_images, &m_sounds};
    for (int i = 0; i < 2; ++i) {
        out.WriteDword((DWORD)lists[i]->size());
        for (ObjectMap::const_iterator it = lists[i]->begin(); it != lists[i]->end(); ++it)
            it->second->SaveRecord(out);
    }
    return out.GetSize() >= HeaderSize;
}

bool CSkinStore::SavePacked(CSkinMemStream& packed) const
{
    CSkinMemStream unpacked;
    return Save(unpacked) && CSkinMemStream::Pack(unpacked, packed);
}

CSkinObject* CSkinStore::FindByName(LPCSTR name)
{
    if (!name)
        return NULL;
    CSkinLockScope scope(m_lock);
    ObjectMap::iterator it = m_objects.find(name);
    if (it != m_objects.end())
        return it->second;
    for (it = m_objects.begin(); it != m_objects.end(); ++it) {
        CSkinObject* found = it->second->FindChild(name);
        if (found)
            return found;
    }
    it = m_images.find(name);
    if (it != m_images.end())
        return it->second;
    it = m_sounds.find(name);
    if (it != m_sounds.end())
        return it->second;
    return NULL;
}

CSkinObject* CSkinStore::FindFirstOfType(int type)
{
    if (type == sotControlBar)
        type = sotToolBar;
    CSkinLockScope scope(m_lock);
    if (LPCSTR name = SkinTypeName(type)) {
        CSkinObject* named = FindByName(name);
        if (named && named->GetType() == type)
            return named;
    }
    for (ObjectMap::iterator it = m_objects.begin(); it != m_objects.end(); ++it) {
        if (it->second->GetType() == type)
            return it->second;
    }
    return NULL;
}

CxImage* CSkinStore::FindImage(LPCSTR name)
{
    if (!name)
        return NULL;
    CSkinLockScope scope(m_lock);
    ObjectMap::iterator it = m_images.find(name);
    return it == m_images.end() ? NULL : ((CSkinImageObject*)it->second)->GetImage();
}

CSkinSysColorTableObject* CSkinStore::GetSysColorTable()
{
    CSkinLockScope scope(m_lock);
    return m_sysColorsOff ? NULL : m_sysColorTable;
}
