#include "app/definitionscheck.h"

#include <string>

#include "engine/internalscanner.h"
#include "foundation/packfile.h"
#include "platform/atl/atlbase.h"

bool IsUsableDefinitions(const char* path, const char* keyText)
{
    if (!path || !keyText)
        return false;
    BYTE key[CInternalScanner::KeyLength];
    CInternalScanner::MakeKey(CA2W(keyText), key);
    CPackFile file;
    if (!file.OpenPrivate(path, CInternalScanner::KeyLength, key))
        return false;
    // The sections the scanner requires; a block that does not decipher
    // under the key reads as empty.
    static const WORD sections[] = {
        CInternalScanner::SectionFiles,   CInternalScanner::SectionRegistry, CInternalScanner::SectionGuarded,
        CInternalScanner::SectionPrograms, CInternalScanner::SectionCookies, CInternalScanner::SectionHosts,
        CInternalScanner::SectionDigests,
    };
    bool usable = true;
    for (WORD id : sections)
    {
        usable = file.GetBlock(id).GetRecordCount() > 0;
        file.UnloadBlockById(id);
        if (!usable)
            break;
    }
    file.Close();
    return usable;
}

bool RestoreDefinitionsFromCopy(const char* path, const char* keyText)
{
    if (!path)
        return false;
    const std::string copy = std::string(path) + ".old";
    // Only a kept copy makes the live file worth checking here: the engine
    // reads it next anyway.
    if (::GetFileAttributesA(copy.c_str()) == INVALID_FILE_ATTRIBUTES || IsUsableDefinitions(path, keyText) ||
        !IsUsableDefinitions(copy.c_str(), keyText))
        return false;
    return ::MoveFileExA(copy.c_str(), path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}
