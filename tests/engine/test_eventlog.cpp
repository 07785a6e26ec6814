#include "com_test_support.h"

#include <cstdio>
#include <fstream>
#include <sstream>

#include "engine/comhelpers.h"
#include "engine/eventlog.h"

namespace {

class EventLogTest : public ComTest
{
protected:
    void SetUp() override
    {
        ComTest::SetUp();
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        char name[64];
        sprintf(name, "cwlog_%lu_%lu\\", GetCurrentProcessId(), GetTickCount());
        m_folder = std::string(temp) + name;
        CreateDirectoryA(m_folder.c_str(), nullptr);
    }
    void TearDown() override
    {
        for (const char* f : {"Scanner Log.htm", "Backup Log.htm", "Restore Log.htm", "Remove Log.htm"})
            DeleteFileA((m_folder + f).c_str());
        RemoveDirectoryA(m_folder.c_str());
        ComTest::TearDown();
    }
    std::string Read(const char* file)
    {
        std::ifstream in(m_folder + file, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    CComPtr<ILog> NewLog()
    {
        CComPtr<ILog> log;
        EngineCreateInstance(CLSID_Log, &log);
        log->Initialize(CComBSTR(m_folder.c_str()));
        return log;
    }
    std::string m_folder;
};

std::string TimeText(DATE date)
{
    SYSTEMTIME st;
    VariantTimeToSystemTime(date, &st);
    char text[256] = "";
    GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &st, nullptr, text, 256);
    return text;
}

} // namespace

TEST_F(ComTest, EngineStringResourcesAndByteArrays)
{
    const std::pair<UINT, const char*> strings[] = {
        {400, "<html>"}, {401, "</html>"}, {402, "<p>"}, {403, "</p>"},
        {404, "Process inaccessible: #%d"}, {405, "File inaccessible: %s"},
        {406, "Registry item inaccessible: %s (error #%d)"}, {407, "Hosts file inaccessible: %s (error #%d)"},
        {500, "<font color=#FF0000>"}, {501, "<font color=#00FF00>"}, {502, "<font color=#0000FF>"},
        {503, "<font color=#000000>"}, {600, "</font>"}, {601, "</font>"}, {602, "</font>"}, {603, "</font>"}};
    for (const auto& s : strings)
    {
        CString text("stale");
        LoadStringResource(text, s.first);
        EXPECT_STREQ(s.second, text) << s.first;
    }
    CString missing("stale");
    LoadStringResource(missing, 504);
    EXPECT_TRUE(missing.IsEmpty());

    const BYTE bytes[3] = {7, 0, 255};
    SAFEARRAY* array = CreateByteSafeArray(bytes, 3);
    ASSERT_NE(nullptr, array);
    VARTYPE vt = VT_EMPTY;
    SafeArrayGetVartype(array, &vt);
    EXPECT_EQ(VT_UI1, vt);
    EXPECT_EQ(1u, SafeArrayGetDim(array));
    LONG lower = -1, upper = -1;
    SafeArrayGetLBound(array, 1, &lower);
    SafeArrayGetUBound(array, 1, &upper);
    EXPECT_EQ(0, lower);
    EXPECT_EQ(2, upper);
    EXPECT_EQ(0, memcmp(array->pvData, bytes, 3));
    EXPECT_EQ(S_OK, DestroySafeArray(&array));
    EXPECT_EQ(nullptr, array);
    EXPECT_EQ(E_POINTER, DestroySafeArray(nullptr));
}

TEST_F(EventLogTest, FileTextIsExact)
{
    CComPtr<ILog> log = NewLog();
    ASSERT_EQ(S_OK, log->Start(lestScanner));
    CComBSTR name;
    EXPECT_EQ(S_OK, log->get_CurrentLogName(&name));
    EXPECT_EQ(m_folder + "Scanner Log.htm", Narrow(name));
    EXPECT_EQ(S_OK, log->put_CurrentLogName(CComBSTR(L"ignored")));

    CComPtr<ILogRecord> record;
    ASSERT_EQ(S_OK, EngineCreateInstance(CLSID_LogRecord, &record));
    SYSTEMTIME st = {2024, 3, 0, 14, 14, 5, 9, 0};
    DATE at = 0;
    SystemTimeToVariantTime(&st, &at);
    record->put_Time(at);
    record->put_Severity(lsCritical);
    record->put_Message(CComBSTR(L"abc"));
    EXPECT_EQ(S_OK, log->Add(record));

    record->put_Severity(static_cast<LogEventSeverity>(12));
    record->put_Message(CComBSTR(L"a<b> & \"c\""));
    EXPECT_EQ(S_OK, log->Add(record));
    record->put_Severity(lsLow);
    EXPECT_EQ(S_OK, log->AddItem(lestBackup, lsMedium, CComBSTR(L"x")));
    EXPECT_EQ(S_OK, log->Stop());

    std::string t = TimeText(at);
    std::string expected = "<html><p> " + t + " <font color=#FF0000> abc </font> </p>" +
                           "<p> " + t + "  a&lt;b&gt; &amp; &quot;c&quot;  </p>";
    std::string text = Read("Scanner Log.htm");
    ASSERT_GT(text.size(), expected.size());
    EXPECT_EQ(expected, text.substr(0, expected.size()));
    std::string tail = text.substr(expected.size());
    EXPECT_EQ(0u, tail.find("<p> "));
    EXPECT_NE(std::string::npos, tail.find(" <font color=#00FF00> x </font> </p>"));
    EXPECT_EQ(std::string::npos, text.find("</html>"));
    EXPECT_EQ(std::string::npos, text.find('\n'));
}

TEST_F(EventLogTest, StatesRestartsAndUncreatableFiles)
{
    CComPtr<ILog> log = NewLog();
    CComPtr<ILogRecord> record;
    EngineCreateInstance(CLSID_LogRecord, &record);
    EXPECT_EQ(E_UNEXPECTED, log->Add(record));
    EXPECT_EQ(E_UNEXPECTED, log->Stop());
    EXPECT_EQ(E_POINTER, log->get_CurrentLogName(nullptr));

    ASSERT_EQ(S_OK, log->Start(lestScanner));
    EXPECT_EQ(E_UNEXPECTED, log->Start(lestBackup));
    log->AddItem(lestScanner, lsNone, CComBSTR(L"first scan"));
    EXPECT_EQ(S_OK, log->Stop());
    ASSERT_EQ(S_OK, log->Start(lestScanner));
    log->AddItem(lestScanner, lsNone, CComBSTR(L"second scan"));
    EXPECT_EQ(S_OK, log->Stop());
    std::string text = Read("Scanner Log.htm");
    EXPECT_EQ(std::string::npos, text.find("first scan"));
    EXPECT_NE(std::string::npos, text.find("<font color=#000000> second scan </font>"));

    // Each source has its own file; sources without one cannot be started.
    for (LogEventSourceType s : {lestBackup, lestRestore, lestRemove})
    {
        ASSERT_EQ(S_OK, log->Start(s));
        log->Stop();
    }
    EXPECT_EQ("<html>", Read("Backup Log.htm"));
    EXPECT_EQ("<html>", Read("Remove Log.htm"));
    EXPECT_EQ(E_FAIL, log->Start(lestUnknown));
    EXPECT_EQ(E_FAIL, log->Start(lestIgnoreList));
    EXPECT_EQ(E_UNEXPECTED, log->Stop());       // still idle
    CComPtr<ILog> lost;
    EngineCreateInstance(CLSID_Log, &lost);
    lost->Initialize(CComBSTR((m_folder + "no\\such\\folder\\").c_str()));
    EXPECT_EQ(E_FAIL, lost->Start(lestScanner));
    EXPECT_EQ(E_UNEXPECTED, lost->Add(record));

    // The default folder is the program's own (a source without a file
    // names the folder itself, which cannot be opened as a file).
    CComPtr<ILog> fresh;
    EngineCreateInstance(CLSID_Log, &fresh);
    char module[MAX_PATH];
    GetModuleFileNameA(nullptr, module, MAX_PATH);
    std::string folder(module);
    folder = folder.substr(0, folder.rfind('\\') + 1);
    CComBSTR name;
    fresh->get_CurrentLogName(&name);
    EXPECT_EQ("", Narrow(name));
    EXPECT_EQ(E_FAIL, fresh->Start(lestUnknown));
    fresh->get_CurrentLogName(&name);
    EXPECT_EQ(folder, Narrow(name));

    // A logging object released without Stop leaves a complete file.
    CComPtr<ILog> dropped = NewLog();
    dropped->Start(lestRemove);
    dropped->AddItem(lestRemove, lsLow, CComBSTR(L"gone"));
    dropped.Release();
    EXPECT_NE(std::string::npos, Read("Remove Log.htm").find("gone"));
}

TEST_F(ComTest, LogRecordDefaultsAndCounter)
{
    CComPtr<ILogRecord> a, b;
    ASSERT_EQ(S_OK, EngineCreateInstance(CLSID_LogRecord, &a));
    ASSERT_EQ(S_OK, EngineCreateInstance(CLSID_LogRecord, &b));
    ULONG ia = 0, ib = 0;
    a->get_ID(&ia);
    b->get_ID(&ib);
    EXPECT_EQ(ia + 1, ib);
    LogEventSeverity sev = lsCritical;
    LogEventSourceType src = lestScanner;
    CComBSTR message(L"stale");
    DATE time = 0;
    a->get_Severity(&sev); EXPECT_EQ(lsNone, sev);
    a->get_Source(&src); EXPECT_EQ(lestUnknown, src);
    a->get_Message(&message); EXPECT_EQ(nullptr, message.m_str);
    a->get_Time(&time);
    SYSTEMTIME now;
    GetLocalTime(&now);
    now.wMilliseconds = 0;
    DATE nowDate = 0;
    SystemTimeToVariantTime(&now, &nowDate);
    EXPECT_NEAR(nowDate, time, 2.0 / 86400);
    EXPECT_EQ(E_POINTER, a->get_ID(nullptr));
    EXPECT_EQ(E_POINTER, a->get_Message(nullptr));
    EXPECT_EQ(E_POINTER, a->get_Time(nullptr));
    a->put_ID(5); a->get_ID(&ia); EXPECT_EQ(5u, ia);
    a->put_Message(CComBSTR(L"m")); a->get_Message(&message); EXPECT_EQ("m", Narrow(message));
}
