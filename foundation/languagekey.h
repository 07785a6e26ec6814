#pragma once
// The fixed key text of the language files (64 hexadecimal digits, AES-256).
// The build reads it from here to encipher the language sources.
#define LOCALIZER_KEY_TEXT "3c9eB05a7dcB41f2e86aB05a7d14c0e93be0d7a2be0d7aafc9e64b1cbB0aEbE2"
