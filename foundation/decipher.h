#pragma once
// Language files: a 16-byte initialisation vector, then the text enciphered
// with AES in CBC mode with ciphertext stealing (arrangement CS2); texts of
// fewer than 16 bytes use a one-block short form.

#include <windows.h>

#include <string>

enum
{
    DECIPHER_BAD_KEY_DIGIT = -2, // a character that is not a hexadecimal digit
    DECIPHER_KEY_TOO_LONG = -3,  // more than 64 digits
    DECIPHER_BAD_KEY_SIZE = -4,  // not 32, 48 or 64 digits
    DECIPHER_CANNOT_OPEN = -5,
};

// Length of the plain text (>= 0) or a negative code above. *plain receives
// the buffer whenever one was made (free it with delete[]), else NULL.
int DecipherFileToBuffer(const std::string& path, const std::string& keyText, BYTE** plain);

// Deciphers into destination ("wb") when the result is positive; otherwise
// the destination is left as it was. Returns DecipherFileToBuffer's result.
int DecipherFileToFile(const std::string& source, const std::string& destination,
                       const std::string& keyText);
