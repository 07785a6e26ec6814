#include "engine/eventlog.h"

#include "engine/backup.h"
#include "engine/comhelpers.h"
#include "engine/engineobjects.h"
#include "engine/searchitem.h"

namespace {

LONG g_recordCounter = 0;

enum
{
    IDS_LOG_HTML = 400,
    IDS_LOG_PARAGRAPH = 402,
    IDS_LOG_PARAGRAPH_END = 403,
    IDS_LOG_SEVERITY_OPEN = 500,
    IDS_LOG_SEVERITY_CLOSE = 600,
};

CString ResourceText(UINT id)
{
    CString text;
    LoadStringResource(text, id);
    return text;
}

} // namespace

const char* LogFileNameOf(LogEventSourceType source)
{
    switch (source)
    {
    case lestScanner: return "Scanner Log.htm";
    case lestBackup: return "Backup Log.htm";
    case lestRestore: return "Restore Log.htm";
    case lestRemove: return "Remove Log.htm";
    default: return "";
    }
}

CString HtmlEscape(const char* text)
{
    CString out;
    for (const char* p = text ? text : ""; *p; ++p)
    {
        switch (*p)
        {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += *p; break;
        }
    }
    return out;
}

// ---------------------------------------------------------------- record

CLogRecord::CLogRecord()
    : m_time(LocalTimeNow()), m_severity(lsNone), m_source(lestUnknown),
      m_id(static_cast<DWORD>(InterlockedIncrement(&g_recordCounter)))
{
}

HRESULT CLogRecord::put_ID(ULONG id) { m_id = id; return S_OK; }
HRESULT CLogRecord::get_ID(ULONG* id) { if (!id) return E_POINTER; *id = m_id; return S_OK; }
HRESULT CLogRecord::put_Source(LogEventSourceType source) { m_source = source; return S_OK; }
HRESULT CLogRecord::get_Source(LogEventSourceType* source) { if (!source) return E_POINTER; *source = m_source; return S_OK; }
HRESULT CLogRecord::put_Severity(LogEventSeverity severity) { m_severity = severity; return S_OK; }
HRESULT CLogRecord::get_Severity(LogEventSeverity* severity) { if (!severity) return E_POINTER; *severity = m_severity; return S_OK; }
HRESULT CLogRecord::put_Time(DATE time) { m_time = time; return S_OK; }
HRESULT CLogRecord::get_Time(DATE* time) { if (!time) return E_POINTER; *time = m_time; return S_OK; }

HRESULT CLogRecord::put_Message(BSTR message)
{
    if (!message)
    {
        m_message.Empty();
        return S_OK;
    }
    BSTR copy = SysAllocStringLen(message, SysStringLen(message));
    if (!copy)
        return E_OUTOFMEMORY;
    m_message.Attach(copy);
    return S_OK;
}

HRESULT CLogRecord::get_Message(BSTR* message)
{
    return CopyBstrOut(m_message, message);
}

// ---------------------------------------------------------------- log

CLog::CLog() : m_file(nullptr)
{
    char path[MAX_PATH] = "";
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (n > 0 && n < MAX_PATH)
    {
        m_folder = path;
        int slash = m_folder.ReverseFind('\\');
        m_folder = m_folder.Left(slash + 1);
    }
}

void CLog::FinalRelease()
{
    if (m_file)
    {
        fclose(m_file);
        m_file = nullptr;
    }
}

HRESULT CLog::Add(ILogRecord* record)
{
    if (!m_file)
        return E_UNEXPECTED;
    if (!record)
        return E_POINTER;
    DATE time = 0;
    HRESULT hr = record->get_Time(&time);
    if (FAILED(hr)) return hr;
    CComBSTR message;
    hr = record->get_Message(&message);
    if (FAILED(hr)) return hr;
    LogEventSeverity severity = lsNone;
    hr = record->get_Severity(&severity);
    if (FAILED(hr)) return hr;
    LogEventSourceType source = lestUnknown;
    hr = record->get_Source(&source);
    if (FAILED(hr)) return hr;

    char timeText[256] = "";
    SYSTEMTIME st;
    if (VariantTimeToSystemTime(time, &st))
        GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &st, nullptr, timeText, static_cast<int>(sizeof(timeText)));

    CString open, close;
    int level = static_cast<int>(severity);
    if (level >= 0 && level <= 11)
    {
        LoadStringResource(open, IDS_LOG_SEVERITY_OPEN + static_cast<UINT>(level));
        LoadStringResource(close, IDS_LOG_SEVERITY_CLOSE + static_cast<UINT>(level));
    }
    CW2A narrow(message.m_str);
    CString text = HtmlEscape(narrow);
    fprintf(m_file, "%s %s %s %s %s %s", static_cast<const char*>(ResourceText(IDS_LOG_PARAGRAPH)), timeText,
            static_cast<const char*>(open), static_cast<const char*>(text), static_cast<const char*>(close),
            static_cast<const char*>(ResourceText(IDS_LOG_PARAGRAPH_END)));
    return S_OK;
}

HRESULT CLog::AddItem(LogEventSourceType source, LogEventSeverity severity, BSTR message)
{
    CComPtr<ILogRecord> record;
    HRESULT hr = EngineCreateInstance(CLSID_LogRecord, &record);
    if (FAILED(hr)) return hr;
    hr = record->put_Time(LocalTimeNow());
    if (FAILED(hr)) return hr;
    hr = record->put_Message(message);
    if (FAILED(hr)) return hr;
    hr = record->put_Severity(severity);
    if (FAILED(hr)) return hr;
    hr = record->put_Source(source);
    if (FAILED(hr)) return hr;
    return Add(record);
}

HRESULT CLog::Initialize(BSTR folder)
{
    CW2A narrow(folder);
    m_folder = static_cast<LPSTR>(narrow) ? static_cast<LPSTR>(narrow) : "";
    return S_OK;
}

HRESULT CLog::Start(LogEventSourceType source)
{
    if (m_file)
        return E_UNEXPECTED;
    m_logName = m_folder + LogFileNameOf(source);
    FILE* file = fopen(m_logName, "wt");
    if (!file)
        return E_FAIL;
    m_file = file;
    fprintf(m_file, "%s", static_cast<const char*>(ResourceText(IDS_LOG_HTML)));
    return S_OK;
}

HRESULT CLog::Stop()
{
    if (!m_file)
        return E_UNEXPECTED;
    fclose(m_file);
    m_file = nullptr;
    return S_OK;
}

HRESULT CLog::get_CurrentLogName(BSTR* name)
{
    if (!name) return E_POINTER;
    *name = CComBSTR(static_cast<const char*>(m_logName)).Detach();
    return S_OK;
}

HRESULT CLog::put_CurrentLogName(BSTR)
{
    return S_OK;
}
