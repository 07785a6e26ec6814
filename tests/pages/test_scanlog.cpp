// The scan log: the exact bytes of a scripted scan (header, separator,
// general areas, the two groups written at their second completion, found
// records), what comes after a group's block or of a group completed once,
// the end lines and the file names of logs saved in the same second.

#include <gtest/gtest.h>

#include "engine/engineobjects.h"
#include "pages/scanlog.h"
#include "tests/app/app_test_support.h"

namespace {

const std::string S = std::string(42, '-') + "\r\n\r\n";

class CFixedClockLog : public CScanLog
{
public:
    explicit CFixedClockLog(const std::string& folder) : CScanLog(folder.c_str()) {}
    CTime now = CTime(2007, 9, 21, 14, 10, 2);

protected:
    CTime Now() const override { return now; }
};

class ScanLogTest : public StaTest
{
protected:
    std::string Logs() const { return m_folder.Path() + "\\logs"; }

    // One found record of the given type.
    void Found(CScanLog& log, ScanAreaType type, const wchar_t* threatName, const wchar_t* itemName)
    {
        CComPtr<IThreat> threat;
        CComPtr<ISearchItem> item;
        ASSERT_EQ(S_OK, EngineCreateInstance(CLSID_Threat, &threat));
        ASSERT_EQ(S_OK, EngineCreateInstance(CLSID_SearchItem, &item));
        if (threatName)
            threat->put_Name(CComBSTR(threatName));
        item->put_Type(type);
        item->put_ItemName(CComBSTR(itemName));
        log.AddFoundItem(threat, item);
    }
    std::string FileText(const std::string& path) const
    {
        std::vector<BYTE> bytes = TempFolder::Read(path);
        return std::string(bytes.begin(), bytes.end());
    }

    TempFolder m_folder;
};

std::string Completed(const char* name, int scanned, int found)
{
    return std::string("Completed ") + name + " scan\r\nTotal items scanned: " + std::to_string(scanned) +
           "\r\nItems found: " + std::to_string(found) + "\r\n" + S;
}

} // namespace

TEST_F(ScanLogTest, AScanInTheEnginesOrderIsWrittenByteForByte)
{
    CFixedClockLog log(Logs());
    EXPECT_EQ(CScanLog::StateNew, log.GetState());
    log.Start();
    log.StartArea(saProcesses);
    log.AddScanned(saProcesses, 12);
    Found(log, saProcesses, L"Glimmerbug", L"C:\\users\\me\\gbagent.exe");
    log.CompleteArea(saProcesses);
    log.StartArea(saRegistry);
    log.AddScanned(saRegistry, 40);
    Found(log, saRegistry, L"Quillkey Logger", L"HKLM\\SOFTWARE\\Quillkey");
    log.CompleteArea(saRegistry);
    log.StartArea(saRegistry);  // autorun keys: the group's second block
    log.AddScanned(saRegistry, 55);
    log.CompleteArea(saRegistry);
    log.StartArea(saHosts);
    log.AddScanned(saHosts, 3);
    log.CompleteArea(saHosts);
    log.StartArea(saFullDisk);
    log.AddScanned(saQuickDisk, 7);
    Found(log, saQuickDisk, L"Fernweb Toolbar", L"C:\\fernweb.exe");
    log.CompleteArea(saFullDisk);
    // Second pass: a registry find after the group's block has been written.
    log.StartArea(saRegistry);
    Found(log, saRegistry, nullptr, L"HKCU\\Software\\Fernweb");
    log.AddScanned(saRegistry, 60);
    log.CompleteArea(saRegistry);
    log.StartArea(saFullDisk);
    log.AddScanned(saFullDisk, 100);
    log.CompleteArea(saFullDisk);
    log.StartArea(saMaxAreaNumber);
    log.CompleteArea(saMaxAreaNumber);
    log.Save(CScanLog::EndFinished);

    const std::string expected =
        "Scan log. Started at 09.21.2007 14:10:02\r\n" + S +
        "Start Processes scan\r\nName: Glimmerbug\r\nC:\\users\\me\\gbagent.exe\r\n\r\n" + Completed("Processes", 12, 1) +
        "Start Registry scan\r\nName: Quillkey Logger\r\nHKLM\\SOFTWARE\\Quillkey\r\n\r\n" + Completed("Registry", 55, 1) +
        "Start Hosts file scan\r\n" + Completed("Hosts file", 3, 0) +
        // The second pass's registry find gets a block of its own ("Name: " of a nameless threat).
        "Start Registry scan\r\nName: \r\nHKCU\\Software\\Fernweb\r\n\r\n" + Completed("Registry", 60, 1) +
        "Start File system scan\r\nName: Fernweb Toolbar\r\nC:\\fernweb.exe\r\n\r\n" + Completed("File system", 100, 1) +
        "Start  scan\r\n" + "Scanning Finished. 09.21.2007 14:10:02";
    EXPECT_EQ(expected, std::string(log.GetText()));
    EXPECT_EQ(CScanLog::StateSaved, log.GetState());
    ASSERT_EQ(Logs() + "\\scan_log_09-21-2007_14-10-02.log", std::string(log.GetSavedPath()));
    EXPECT_EQ(expected, FileText(std::string(log.GetSavedPath())));
}

TEST_F(ScanLogTest, EndLinesAndAGroupCompletedOnceAreWrittenBeforeTheEnd)
{
    struct Case
    {
        int kind;
        const char* end;
    };
    for (const Case& c : {Case{CScanLog::EndFinished, "Finished."}, Case{CScanLog::EndAborted, "aborted by user."},
                          Case{7, ""}})
    {
        CFixedClockLog log(Logs());
        log.now = CTime(2007, 9, 21, 14, 10, 2 + c.kind);
        log.Start();
        log.StartArea(saFullDisk);
        log.AddScanned(saQuickDisk, 9);
        Found(log, saFullDisk, L"Glimmerbug", L"C:\\glimmerbug_1.tmp");
        log.CompleteArea(saFullDisk);  // the second pass never came
        log.Save(c.kind);
        const std::string stamp = std::string(log.now.Format("%m.%d.%Y %H:%M:%S"));
        EXPECT_EQ("Scan log. Started at " + stamp + "\r\n" + S +
                      "Start File system scan\r\nName: Glimmerbug\r\nC:\\glimmerbug_1.tmp\r\n\r\n" +
                      Completed("File system", 9, 1) + "Scanning " + c.end + " " + stamp,
                  FileText(std::string(log.GetSavedPath())))
            << c.kind;
    }
}

TEST_F(ScanLogTest, IsWrittenOnceAndNeverOverAnotherOfTheSameSecond)
{
    CFixedClockLog log(Logs());
    std::vector<std::string> paths;
    for (int i = 0; i < 3; ++i)
    {
        log.Start();
        log.StartArea(saCookies);
        log.CompleteArea(saCookies);
        log.Save(CScanLog::EndAborted);
        paths.push_back(std::string(log.GetSavedPath()));
        log.Save(CScanLog::EndFinished);  // already saved: nothing
        EXPECT_EQ(paths.back(), std::string(log.GetSavedPath()));
    }
    const std::string base = Logs() + "\\scan_log_09-21-2007_14-10-02";
    EXPECT_EQ((std::vector<std::string>{base + ".log", base + "_2.log", base + "_3.log"}), paths);
    for (const std::string& path : paths)
        EXPECT_NE(std::string::npos, FileText(path).find("Scanning aborted by user."));

    // A dropped log (a scan that never started) writes nothing.
    log.Start();
    log.Drop();
    log.Save(CScanLog::EndFinished);
    EXPECT_TRUE(log.GetSavedPath().IsEmpty());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((base + "_4.log").c_str()));

    // A folder that cannot be made loses the log silently.
    CFixedClockLog lost(m_folder.Path() + "\\no\\such\\logs");
    lost.Start();
    lost.Save(CScanLog::EndFinished);
    EXPECT_TRUE(lost.GetSavedPath().IsEmpty());
    EXPECT_EQ(CScanLog::StateSaved, lost.GetState());
}
