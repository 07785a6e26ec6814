#pragma once
// Binary file over a Win32 handle with the interface of the MFC file class.
// Failures throw a CFileException by pointer (the catcher calls Delete), except
// Open, which reports through its result and the optional exception object.

#include "platform/mfc/cstring.h"
#include "platform/mfc/exception.h"

#include <windows.h>

class CFileException : public CException
{
public:
    enum
    {
        none,
        genericException,
        fileNotFound,
        badPath,
        tooManyOpenFiles,
        accessDenied,
        invalidFile,
        removeCurrentDir,
        directoryFull,
        badSeek,
        hardIO,
        sharingViolation,
        lockViolation,
        diskFull,
        endOfFile
    };

    explicit CFileException(int cause = none, LONG osError = -1, LPCSTR fileName = NULL);

    // The cause's text with the file name, e.g. "Access to C:\x.bin was denied.".
    BOOL GetErrorMessage(LPSTR buf, UINT max, PUINT helpContext = NULL) override;

    static int OsErrorToException(LONG osError);
    [[noreturn]] static void ThrowOsError(LONG osError, LPCSTR fileName = NULL);

    int m_cause;
    LONG m_lOsError;
    CString m_strFileName;
};

[[noreturn]] void AfxThrowFileException(int cause, LONG osError = -1, LPCSTR fileName = NULL);

// What CFile::GetStatus reports of a file; times as the file system keeps
// them (UTC).
struct CFileStatus
{
    FILETIME m_ctime;
    FILETIME m_mtime;
    FILETIME m_atime;
    ULONGLONG m_size;
    BYTE m_attribute;
    char m_szFullName[MAX_PATH];
};

class CFile
{
public:
    enum OpenFlags
    {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareCompat = 0x0000,
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030,
        shareDenyNone = 0x0040,
        modeNoInherit = 0x0080,
        modeCreate = 0x1000,
        modeNoTruncate = 0x2000,
        typeText = 0x4000,
        typeBinary = 0x8000
    };

    CFile();
    // Opens or throws a CFileException.
    CFile(LPCSTR fileName, UINT openFlags);
    virtual ~CFile();  // closes an open file, never throws

    BOOL Open(LPCSTR fileName, UINT openFlags, CFileException* error = NULL);
    UINT Read(void* buf, UINT count);
    void Write(const void* buf, UINT count);  // a short write throws diskFull
    ULONGLONG GetLength() const;
    void Close();  // throws when the handle cannot be closed
    void Abort();  // closes without reporting errors

    CString GetFilePath() const { return m_strFileName; }

    // FALSE when the file or folder does not exist (or its full name does
    // not fit MAX_PATH); never throws.
    static BOOL GetStatus(LPCSTR fileName, CFileStatus& status);
    operator HANDLE() const { return m_hFile; }

    static const HANDLE hFileNull;

    HANDLE m_hFile;

protected:
    CString m_strFileName;

private:
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;
};
