#pragma once
// Base of the program's exception classes; thrown by pointer and released
// by the catcher with Delete(), as with MFC exceptions.

#include <windows.h>

class CException
{
public:
    explicit CException(BOOL autoDelete = TRUE) : m_bAutoDelete(autoDelete) {}
    virtual ~CException();

    // Copies the message into buf (cut to max chars including the NUL);
    // FALSE when there is no message. The base class has none.
    virtual BOOL GetErrorMessage(LPSTR buf, UINT max, PUINT helpContext = NULL);

    // Frees an exception that was created on the heap with auto-delete set;
    // a static or stack exception (auto-delete FALSE) is left alone.
    void Delete();

protected:
    BOOL m_bAutoDelete;

private:
    CException(const CException&) = delete;
    CException& operator=(const CException&) = delete;
};

// An argument outside what the operation accepts (an index past the end).
class CInvalidArgException : public CException
{
public:
    BOOL GetErrorMessage(LPSTR buf, UINT max, PUINT helpContext = NULL) override;
};

[[noreturn]] void AfxThrowInvalidArgException();
