#pragma once
// What the internal scanner reports while it runs: detections and progress.
// A plain interface without reference counting; the scanner does not own its
// listeners. Every call arrives on the scanning thread.

#include <windows.h>

class IInternalScannerListener
{
public:
    // One detection. area is the ScanAreaType; typeOrProcessId is the process
    // id for processes, the database's value type for guarded values (the
    // type their repair writes), else 0; data (dataSize bytes) is the good
    // value of a guarded value or the data read of a registry match; rootKey
    // is the predefined key as its 32-bit value (0x80000001 for
    // HKEY_CURRENT_USER), 0 outside the registry; known is 0 only for autorun
    // entries that no database record names, and extra then carries the
    // entry's data text.
    virtual void OnItemFound(int area, DWORD programNumber, const char* name, const char* value,
                             DWORD typeOrProcessId, DWORD dataSize, const BYTE* data, DWORD rootKey,
                             BYTE known, const char* extra) = 0;
    virtual void OnAccessError(int area, const char* path, DWORD processId) = 0;
    virtual void OnStartedArea(int area) = 0;
    // Area 7 means the whole scan has ended.
    virtual void OnCompleteArea(int area) = 0;
    virtual void OnScanningFolder(const char* folder) = 0;
    virtual void OnScanning(int area, DWORD itemsScanned) = 0;

protected:
    ~IInternalScannerListener() {}
};
