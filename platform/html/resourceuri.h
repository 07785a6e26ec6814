#pragma once
// Resources a page names by URI: "minus.png" is the resource "minus" of type
// "PNG"; "page.html" (any case) and "page" without an extension are the
// resource "page" of type 23 (RT_HTML). The URI is taken in the ANSI code
// page and cut at 260 characters.

#include <windows.h>

enum class UriResource
{
    Empty,       // no URI
    NotFound,    // no such resource
    Unreadable,  // found, but it could not be loaded, locked or sized
    Found,
};

struct UriResourceName
{
    char name[MAX_PATH];
    char type[MAX_PATH];  // empty: RT_HTML
};

// Splits a URI into resource name and type; false for an empty URI.
bool SplitResourceUri(LPCWSTR uri, UriResourceName& out);

// Finds and maps the resource in the module; data and size are set when Found.
UriResource FindUriResource(HMODULE module, LPCWSTR uri, const BYTE** data, DWORD* size);

// The bytes of a resource by name and type (either may be an integer id).
bool LoadResourceBytes(HMODULE module, LPCSTR name, LPCSTR type, const BYTE** data, DWORD* size);
