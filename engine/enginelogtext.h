#pragma once
// The engine's message text: every engine step appends a trace line tagged
// with its source, so that after a worker's exception the crash report shows
// what the engine did last. Workers append while the user interface may read,
// so the text is locked, and it keeps only its newest part when it grows long.

#include <windows.h>

#include <stdarg.h>

#include "platform/mfc/cstring.h"

class CEngineMessageText
{
public:
    // Beyond this the oldest text is dropped, at a line boundary.
    enum { MaxLength = 1 << 20 };

    CEngineMessageText();
    ~CEngineMessageText();

    void Append(const char* text);
    CString Get() const;
    void Empty();
    int GetLength() const;

private:
    CEngineMessageText(const CEngineMessageText&);
    CEngineMessageText& operator=(const CEngineMessageText&);

    mutable CRITICAL_SECTION m_lock;
    CString m_text;
};

// The one process-wide engine message text.
extern CEngineMessageText CEngineLogText;

// Bounded printf-style formatting; E_INVALIDARG for a size above 0x7FFFFFFF.
// The result is always terminated; a longer message is cut.
HRESULT FormatMessageV(char* buffer, size_t size, const char* format, va_list args);

// Appends "<message> (<source> [<line>])\r\n\r\n" to target; the message is
// cut at 8,191 characters.
void FormatSourceError(CEngineMessageText& target, const char* source, int line, const char* format, ...)
#ifdef __GNUC__
    __attribute__((format(gnu_printf, 4, 5)))
#endif
    ;
