#pragma once
// Constants of the program that several parts of the shell share.

// Product name: the single-instance guard's kernel-object names, the skin
// library and the crash report's product line are made from it.
#define CW_PRODUCT_NAME "Telmin Cleanwarden"
// The running program's version; the update check compares the server's
// latest version with it.
#define CW_PRODUCT_VERSION "2.1.153"
#define CW_PRODUCT_BUILD "153"

// The signature database and the key text it is opened with.
#define CW_DEFINITIONS_FILE_NAME "definitions.bin"
#define CW_DEFINITIONS_KEY_TEXT "pvrt82m6kd3.47h"
