#pragma once
// The registrar: writes a registry script (the text of a "REGISTRY"
// resource) into the registry, or takes it away again.
//
//   HKCR
//   {
//       NoRemove CLSID
//       {
//           ForceRemove {GUID} = s 'Some Class'
//           {
//               LocalServer32 = s '%MODULE%'
//               val Threads = d '2'
//           }
//       }
//   }
//
// Tokens are separated by white space; a token in single quotes may hold
// blanks, and '' inside it stands for one quote. %NAME% anywhere in a token
// is replaced by the text added under NAME (case ignored); %% is one percent
// sign. Roots: HKCR, HKCU, HKLM, HKU and their HKEY_ names.
//
// A key line is [NoRemove|ForceRemove|Delete] name [= type value] [{ ... }],
// a value line [NoRemove] val name = type value; "name = type value" sets the
// key's default value. Types: s (REG_SZ), e (REG_EXPAND_SZ), d (REG_DWORD,
// decimal or 0x hexadecimal), b (REG_BINARY, pairs of hex digits).
//
// Registering creates the keys and sets the values; a ForceRemove key is
// first deleted with everything below it, a Delete key is only deleted. If
// registering fails, what the script wrote is taken away again.
// Unregistering deletes the named values (not NoRemove ones) and every key
// that has no subkeys left once its own script keys are gone; NoRemove keys
// stay, ForceRemove keys go with everything below them, and absent keys are
// not an error. It goes on past a failure and returns the first one.
//
// The whole script is read before the registry is touched: a script with
// an error (HRESULT_FROM_WIN32(ERROR_INVALID_DATA)) changes nothing, and
// GetErrorText says where it is.

#include <windows.h>
#include <ole2.h>

#include <string>
#include <utility>
#include <vector>

// The replacements a script sees: names (case ignored) and their texts.
typedef std::vector<std::pair<std::wstring, std::wstring>> CRegReplacements;
// Sets the name's text; a name already listed takes the new text.
void SetRegReplacement(CRegReplacements& list, const std::wstring& name, const std::wstring& text);

class CRegObject
{
public:
    CRegObject() {}
    CRegObject(const CRegObject&) = delete;
    CRegObject& operator=(const CRegObject&) = delete;

    // A key added again takes the new text.
    HRESULT AddReplacement(LPCOLESTR key, LPCOLESTR item);
    HRESULT ClearReplacements();

    HRESULT StringRegister(LPCOLESTR data);
    HRESULT StringUnregister(LPCOLESTR data);
    // The script is resource `id` of type `type` in `module`: ANSI text, or
    // UTF-8 or UTF-16 with a byte-order mark.
    HRESULT ResourceRegister(HMODULE module, UINT id, LPCOLESTR type);
    HRESULT ResourceUnregister(HMODULE module, UINT id, LPCOLESTR type);

    // "line N: ..." for the last script that could not be read, else empty.
    const std::wstring& GetErrorText() const { return m_error; }

private:
    HRESULT Run(LPCOLESTR data, bool doRegister);
    HRESULT RunResource(HMODULE module, UINT id, LPCOLESTR type, bool doRegister);

    CRegReplacements m_replacements;
    std::wstring m_error;
};
