#pragma once
// Log and LogRecord: the HTML operation logs ("Scanner Log.htm", ...), one
// paragraph per event coloured by severity.

#include <cstdio>

#include "engine/mothtrap.h"
#include "platform/atl/atlbase.h"
#include "platform/mfc/cstring.h"

class CLogRecord : public CComObjectRootEx<CComSingleThreadModel>,
                   public CComCoClass<CLogRecord, &CLSID_LogRecord>,
                   public ILogRecord
{
public:
    CLogRecord();

    BEGIN_COM_MAP(CLogRecord)
        COM_INTERFACE_ENTRY(ILogRecord)
    END_COM_MAP()

    HRESULT STDMETHODCALLTYPE put_ID(ULONG id) override;
    HRESULT STDMETHODCALLTYPE get_ID(ULONG* id) override;
    HRESULT STDMETHODCALLTYPE put_Source(LogEventSourceType source) override;
    HRESULT STDMETHODCALLTYPE get_Source(LogEventSourceType* source) override;
    HRESULT STDMETHODCALLTYPE put_Severity(LogEventSeverity severity) override;
    HRESULT STDMETHODCALLTYPE get_Severity(LogEventSeverity* severity) override;
    HRESULT STDMETHODCALLTYPE put_Message(BSTR message) override;
    HRESULT STDMETHODCALLTYPE get_Message(BSTR* message) override;
    HRESULT STDMETHODCALLTYPE put_Time(DATE time) override;
    HRESULT STDMETHODCALLTYPE get_Time(DATE* time) override;

private:
    DATE m_time;
    LogEventSeverity m_severity;
    LogEventSourceType m_source;
    DWORD m_id;
    CComBSTR m_message;
};

class CLog : public CComObjectRootEx<CComSingleThreadModel>,
             public CComCoClass<CLog, &CLSID_Log>,
             public ILog
{
public:
    CLog();
    void FinalRelease();

    BEGIN_COM_MAP(CLog)
        COM_INTERFACE_ENTRY(ILog)
    END_COM_MAP()

    HRESULT STDMETHODCALLTYPE Add(ILogRecord* record) override;
    HRESULT STDMETHODCALLTYPE AddItem(LogEventSourceType source, LogEventSeverity severity, BSTR message) override;
    HRESULT STDMETHODCALLTYPE Initialize(BSTR folder) override;
    HRESULT STDMETHODCALLTYPE Start(LogEventSourceType source) override;
    HRESULT STDMETHODCALLTYPE Stop() override;
    HRESULT STDMETHODCALLTYPE get_CurrentLogName(BSTR* name) override;
    HRESULT STDMETHODCALLTYPE put_CurrentLogName(BSTR name) override;

private:
    CString m_folder;
    CString m_logName;
    FILE* m_file;
};

// The log file name of a source; "" for lestUnknown, lestIgnoreList and others.
const char* LogFileNameOf(LogEventSourceType source);

// & < > " as HTML entities: the messages carry names from the scanned machine.
CString HtmlEscape(const char* text);
