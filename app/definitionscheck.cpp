#include "app/definitionscheck.h"

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
