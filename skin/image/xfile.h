#pragma once
// CxFile: the abstract stream of the image codecs; CxMemFile implements it
// over a memory buffer (the only kind the skin toolkit uses).

#include <windows.h>
#include <stddef.h>

class CxFile
{
public:
    virtual ~CxFile() {}
    virtual bool Close() = 0;
    virtual size_t Read(void* buffer, size_t size, size_t count) = 0;
    virtual size_t Write(const void* buffer, size_t size, size_t count) = 0;
    virtual bool Seek(long offset, int origin) = 0;
    virtual long Tell() = 0;
    virtual long Size() = 0;
    virtual bool Flush() = 0;
    virtual bool Eof() = 0;
    virtual long Error() = 0;
    virtual bool PutC(unsigned char c) = 0;
    virtual long GetC() = 0;
};

class CxMemFile : public CxFile
{
public:
    // Over a caller's buffer (not owned), or an empty growing buffer.
    CxMemFile(BYTE* buffer = NULL, DWORD size = 0);
    ~CxMemFile();

    bool Open();
    bool Close() override;
    size_t Read(void* buffer, size_t size, size_t count) override;
    size_t Write(const void* buffer, size_t size, size_t count) override;
    bool Seek(long offset, int origin) override;
    long Tell() override;
    long Size() override;
    bool Flush() override { return m_buffer != NULL; }
    bool Eof() override;
    long Error() override { return m_buffer == NULL; }
    bool PutC(unsigned char c) override;
    long GetC() override;

    BYTE* GetBuffer(bool detach = true);
    // Bytes left after the position.
    DWORD Remaining() const { return m_position < m_size ? m_size - m_position : 0; }

private:
    CxMemFile(const CxMemFile&);
    CxMemFile& operator=(const CxMemFile&);
    bool Grow(DWORD needed);

    BYTE* m_buffer;
    DWORD m_size;
    bool m_owned;
    DWORD m_position;
    DWORD m_allocated;
};
