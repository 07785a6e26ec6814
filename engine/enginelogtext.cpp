#include "engine/enginelogtext.h"

#include <stdio.h>
#include <string.h>

CEngineMessageText CEngineLogText;

CEngineMessageText::CEngineMessageText()
{
    InitializeCriticalSection(&m_lock);
}

CEngineMessageText::~CEngineMessageText()
{
    DeleteCriticalSection(&m_lock);
}

void CEngineMessageText::Append(const char* text)
{
    if (text == NULL || *text == 0)
        return;
    EnterCriticalSection(&m_lock);
    m_text += text;
    if (m_text.GetLength() > MaxLength)
    {
        // Keep the newest half, starting at a message.
        int cut = m_text.GetLength() - MaxLength / 2;
        const int messageEnd = m_text.Find("\r\n\r\n", cut);
        if (messageEnd >= 0)
            cut = messageEnd + 4;
        m_text.Delete(0, cut);
    }
    LeaveCriticalSection(&m_lock);
}

CString CEngineMessageText::Get() const
{
    EnterCriticalSection(&m_lock);
    CString copy = m_text;
    LeaveCriticalSection(&m_lock);
    return copy;
}

void CEngineMessageText::Empty()
{
    EnterCriticalSection(&m_lock);
    m_text.Empty();
    LeaveCriticalSection(&m_lock);
}

int CEngineMessageText::GetLength() const
{
    EnterCriticalSection(&m_lock);
    const int length = m_text.GetLength();
    LeaveCriticalSection(&m_lock);
    return length;
}

HRESULT FormatMessageV(char* buffer, size_t size, const char* format, va_list args)
{
    if (size > 0x7FFFFFFF || buffer == NULL || size == 0)
        return E_INVALIDARG;
    const int n = vsnprintf(buffer, size, format ? format : "", args);
    buffer[size - 1] = 0;
    return n < 0 ? E_FAIL : S_OK;
}

void FormatSourceError(CEngineMessageText& target, const char* source, int line, const char* format, ...)
{
    char message[8192];
    message[0] = 0;
    va_list args;
    va_start(args, format);
    FormatMessageV(message, sizeof(message), format, args);
    va_end(args);
    char tag[600];
    snprintf(tag, sizeof(tag), " (%s [%d])\r\n\r\n", source ? source : "", line);
    CString text(message);
    text += tag;
    target.Append(text);
}
