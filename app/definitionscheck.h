#pragma once
// Whether a file is a signature database the scanner can use: it opens
// under the key text, every required section deciphers and expands, and it
// holds records. The check reads with a cipher context of its own, so a
// scan may read the database in use meanwhile.

bool IsUsableDefinitions(const char* path, const char* keyText);

// At start-up: a database that does not open with records, beside a kept
// copy (path + ".old") that does, is replaced by that copy, so the program
// starts with the last good definitions. True when it was replaced.
bool RestoreDefinitionsFromCopy(const char* path, const char* keyText);
