#pragma once
// A packed record: u16 total length, a table of u16 field offsets (0xFFFF for
// an absent field), then the data of the present fields back to back.
// All integers little-endian; a record is at most 65,535 bytes.

#include <windows.h>

class CPackedRecord
{
public:
    enum { MaxLength = 0xFFFF, Absent = 0xFFFF };

    explicit CPackedRecord(BYTE* record = NULL) : m_pData(record) {}

    BYTE* GetPtr() const { return m_pData; }
    void Attach(BYTE* record) { m_pData = record; }

    bool Allocate();
    void Free();

    void SetTotalLength(WORD length);
    WORD GetTotalLength() const;
    WORD GetOffset(int i) const;
    int GetEntryCount() const;

    BYTE* GetEntry(int i) const;
    BYTE* GetEntryData(int i) const { return GetEntry(i); }
    int GetEntryLength(int i) const;

    bool SetEntryCount(int n);
    bool SetEntry(int i, const void* data, int length);
    bool SetString(int i, const char* text);
    bool SetStringZ(int i, const char* text);

    bool operator!=(const void* p) const { return m_pData != p; }
    bool operator==(const void* p) const { return m_pData == p; }

protected:
    BYTE* m_pData;

private:
    // Offset of field i when it is present and well-formed, else Absent.
    WORD PresentOffset(int i, int count) const;
    void SetOffset(int i, WORD offset);
};

// Owns a full-size writing buffer for building one record.
class CPackedRecordBuffer
{
public:
    CPackedRecordBuffer();
    virtual ~CPackedRecordBuffer();

    CPackedRecord& Record() { return m_record; }
    CPackedRecord* operator->() { return &m_record; }
    BYTE* GetPtr() const { return m_record.GetPtr(); }

private:
    CPackedRecordBuffer(const CPackedRecordBuffer&);
    CPackedRecordBuffer& operator=(const CPackedRecordBuffer&);

    CPackedRecord m_record;
};
