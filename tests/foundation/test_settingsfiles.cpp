#include "foundation/appsettings.h"
#include "foundation/appstats.h"
#include "foundation/scannersettings.h"
#include "foundation/scheduledscansettings.h"
#include "foundation/scheduledupdatesettings.h"
#include "foundation/scheduledupdatesoftsettings.h"

#include "temp_folder.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

namespace {

std::string ReadText(const std::string& path)
{
    std::vector<BYTE> bytes = TempFolder::Read(path);
    return std::string(bytes.begin(), bytes.end());
}

void WriteText(const std::string& path, const std::string& text)
{
    ASSERT_TRUE(TempFolder::Write(path, std::vector<BYTE>(text.begin(), text.end())));
}

// The file as TinyXML writes a declaration and one empty root element.
std::string Saved(const std::string& rootAndAttributes)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\r\n<" + rootAndAttributes + " />\r\n";
}

// Per class: its file, root, the exact default file, a hand-written file with
// a value other than the default in every attribute, what saving that file's
// values gives, and the flags it reads and writes.
struct AppTraits
{
    using Class = CAppSettings;
    static constexpr const char* file = "app_settings.xml";
    static constexpr const char* root = "general";
    static std::string DefaultFile()
    {
        return Saved("general language=\"English\" hideToTrayOnClose=\"true\" downloadNews=\"true\" "
                     "autoScan=\"true\" autoRunScan=\"true\"");
    }
    static std::string DefaultSaved() { return DefaultFile(); }
    static std::string CustomFile()
    {
        return "<?xml version=\"1.0\"?>\n<general autoRunScan=\"false\" language=\"Deutsch\" "
               "downloadNews=\"false\" other=\"dropped\" hideToTrayOnClose=\"false\" autoScan=\"true\"/>";
    }
    static std::string CustomSaved()
    {
        return Saved("general language=\"Deutsch\" hideToTrayOnClose=\"false\" downloadNews=\"false\" "
                     "autoScan=\"true\" autoRunScan=\"false\"");
    }
    static std::vector<std::string> Flags()
    {
        return {"hideToTrayOnClose", "downloadNews", "autoScan", "autoRunScan"};
    }
    static void CheckDefaults(Class& s)
    {
        EXPECT_EQ("English", s.GetLanguage());
        EXPECT_TRUE(s.GetAutoScan());
        EXPECT_TRUE(s.GetDownloadNews());
        EXPECT_TRUE(s.GetAutoRunScan());
    }
    static void CheckCustom(Class& s)
    {
        EXPECT_EQ("Deutsch", s.GetLanguage());
        EXPECT_TRUE(s.GetAutoScan());
        EXPECT_FALSE(s.GetDownloadNews());
        EXPECT_FALSE(s.GetAutoRunScan());
    }
};

struct ScannerTraits
{
    using Class = CScannerSettings;
    static constexpr const char* file = "scanner_settings.xml";
    static constexpr const char* root = "TelminCleanwardenScanner";
    static std::string DefaultFile()
    {
        return Saved("TelminCleanwardenScanner ProcessesScan=\"true\" RegistryScan=\"true\" HostsFile=\"true\" "
                     "CookiesScan=\"true\" IncludePaths=\"AllDrives\"");
    }
    static std::string DefaultSaved() { return DefaultFile(); }
    static std::string CustomFile()
    {
        return "<TelminCleanwardenScanner IncludePaths='C:\\Data,D:\\Docs' CookiesScan='true' "
               "HostsFile='false' RegistryScan='true' ProcessesScan='false'></TelminCleanwardenScanner>";
    }
    static std::string CustomSaved()
    {
        return Saved("TelminCleanwardenScanner ProcessesScan=\"false\" RegistryScan=\"true\" HostsFile=\"false\" "
                     "CookiesScan=\"true\" IncludePaths=\"C:\\Data,D:\\Docs\"");
    }
    static std::vector<std::string> Flags()
    {
        return {"ProcessesScan", "RegistryScan", "HostsFile", "CookiesScan"};
    }
    static void CheckDefaults(Class& s)
    {
        EXPECT_TRUE(s.GetProcessesScan());
        EXPECT_TRUE(s.GetRegistryScan());
        EXPECT_TRUE(s.GetHostsFile());
        EXPECT_TRUE(s.GetCookiesScan());
        EXPECT_EQ("AllDrives", s.GetIncludePaths());
    }
    static void CheckCustom(Class& s)
    {
        EXPECT_FALSE(s.GetProcessesScan());
        EXPECT_TRUE(s.GetRegistryScan());
        EXPECT_FALSE(s.GetHostsFile());
        EXPECT_TRUE(s.GetCookiesScan());
        EXPECT_EQ("C:\\Data,D:\\Docs", s.GetIncludePaths());
    }
};

struct ScanTraits
{
    using Class = CScheduledScanSettings;
    static constexpr const char* file = "scheduled_scan.xml";
    static constexpr const char* root = "ScheduledScan";
    static std::string DefaultFile()
    {
        return Saved("ScheduledScan scheduleType=\"1\" days=\"1111111\" dayOfMonth=\"1\" startTime=\"12:00:00\" "
                     "includePaths=\"true\" Paths=\"\" autoRemove=\"0\" autoQua=\"0\" active=\"false\" "
                     "enable=\"false\"");
    }
    // The "0" flags are read as false and written back as "false".
    static std::string DefaultSaved()
    {
        return Saved("ScheduledScan scheduleType=\"1\" days=\"1111111\" dayOfMonth=\"1\" startTime=\"12:00:00\" "
                     "includePaths=\"true\" Paths=\"\" autoRemove=\"false\" autoQua=\"false\" active=\"false\" "
                     "enable=\"false\"");
    }
    static std::string CustomFile()
    {
        return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<ScheduledScan enable=\"true\" active=\"true\" "
               "autoQua=\"false\" autoRemove=\"true\" Paths=\"C:\\A,C:\\B\" includePaths=\"false\" "
               "startTime=\"06:30:15\" dayOfMonth=\"28\" days=\"0101010\" scheduleType=\"3\"/>\r\n";
    }
    static std::string CustomSaved()
    {
        return Saved("ScheduledScan scheduleType=\"3\" days=\"0101010\" dayOfMonth=\"28\" startTime=\"06:30:15\" "
                     "includePaths=\"false\" Paths=\"C:\\A,C:\\B\" autoRemove=\"true\" autoQua=\"false\" "
                     "active=\"true\" enable=\"true\"");
    }
    static std::vector<std::string> Flags() { return {"includePaths", "autoRemove", "autoQua", "active", "enable"}; }
    static void CheckDefaults(Class& s)
    {
        EXPECT_EQ(1, s.GetScheduleType());
        EXPECT_EQ("1111111", s.GetDays());
        EXPECT_EQ(1, s.GetDayOfMonth());
        EXPECT_EQ("12:00:00", s.GetStartTime());
        EXPECT_TRUE(s.GetIncludePaths());
        EXPECT_EQ("", s.GetPaths());
        EXPECT_FALSE(s.GetActive());
        EXPECT_FALSE(s.GetEnable());
        EXPECT_TRUE(s.IsValid());
    }
    static void CheckCustom(Class& s)
    {
        EXPECT_EQ(3, s.GetScheduleType());
        EXPECT_EQ("0101010", s.GetDays());
        EXPECT_EQ(28, s.GetDayOfMonth());
        EXPECT_EQ("06:30:15", s.GetStartTime());
        EXPECT_FALSE(s.GetIncludePaths());
        EXPECT_EQ("C:\\A,C:\\B", s.GetPaths());
        EXPECT_TRUE(s.GetActive());
        EXPECT_TRUE(s.GetEnable());
        EXPECT_TRUE(s.IsValid());
    }
};

// Shared by both update schedules; only the root and active differ.
template <class T, const char* Root, bool WritesActive>
struct UpdateTraitsBase
{
    using Class = T;
    static constexpr const char* root = Root;
    static std::string DefaultFile()
    {
        return Saved(std::string(Root) +
                     " scheduleType=\"1\" days=\"1111111\" dayOfMonth=\"1\" startTime=\"12:00:00\" "
                     "includePaths=\"true\" autoRemove=\"0\" autoQua=\"0\" active=\"false\" enable=\"false\"");
    }
    static std::string DefaultSaved() { return DefaultFile(); }
    static std::string CustomFile()
    {
        return std::string("<") + Root +
               " scheduleType=\"2\" days=\"1000001\" dayOfMonth=\"15\" startTime=\"23:59:59\" "
               "includePaths=\"false\" autoRemove=\"1\" autoQua=\"true\" active=\"true\" enable=\"true\"/>";
    }
    // The carried attributes go back to their default texts.
    static std::string CustomSaved()
    {
        return Saved(std::string(Root) +
                     " scheduleType=\"2\" days=\"1000001\" dayOfMonth=\"15\" startTime=\"23:59:59\" "
                     "includePaths=\"true\" autoRemove=\"0\" autoQua=\"0\" active=\"" +
                     (WritesActive ? "true" : "false") + "\" enable=\"true\"");
    }
    static std::vector<std::string> Flags()
    {
        if (WritesActive)
            return {"active", "enable"};
        return {"enable"};
    }
    static void CheckDefaults(Class& s)
    {
        EXPECT_EQ(1, s.GetScheduleType());
        EXPECT_EQ("1111111", s.GetDays());
        EXPECT_EQ(1, s.GetDayOfMonth());
        EXPECT_EQ("12:00:00", s.GetStartTime());
        EXPECT_FALSE(s.GetEnable());
        EXPECT_TRUE(s.IsValid());
    }
    static void CheckCustom(Class& s)
    {
        EXPECT_EQ(2, s.GetScheduleType());
        EXPECT_EQ("1000001", s.GetDays());
        EXPECT_EQ(15, s.GetDayOfMonth());
        EXPECT_EQ("23:59:59", s.GetStartTime());
        EXPECT_TRUE(s.GetEnable());
        EXPECT_TRUE(s.IsValid());
    }
};

constexpr char kUpdateRoot[] = "ScheduledUpdate";
constexpr char kUpdateSoftRoot[] = "ScheduledUpdateSoft";

struct UpdateTraits : UpdateTraitsBase<CScheduledUpdateSettings, kUpdateRoot, true>
{
    static constexpr const char* file = "scheduled_update.xml";
};

struct UpdateSoftTraits : UpdateTraitsBase<CScheduledUpdateSoftSettings, kUpdateSoftRoot, false>
{
    static constexpr const char* file = "scheduled_updatesoft.xml";
};

struct StatsTraits
{
    using Class = CAppStats;
    static constexpr const char* file = "app_stats.xml";
    static constexpr const char* root = "TelminCleanwardenStats";
    static std::string DefaultFile()
    {
        return Saved("TelminCleanwardenStats DBVersion=\"\" LastScan=\"\" Signatures=\"0\" Removed=\"0\" "
                     "ScansNumber=\"0\" Ignored=\"0\" Quarantined=\"0\"");
    }
    static std::string DefaultSaved() { return DefaultFile(); }
    static std::string CustomFile()
    {
        return "<TelminCleanwardenStats DBVersion=\"2024-05-01\" LastScan=\"01.02.2024 10:00\" "
               "Signatures=\"123456\" Removed=\"7\" ScansNumber=\"42\" Ignored=\"-5\" Quarantined=\"2147483647\"/>";
    }
    static std::string CustomSaved()
    {
        return Saved("TelminCleanwardenStats DBVersion=\"2024-05-01\" LastScan=\"01.02.2024 10:00\" "
                     "Signatures=\"123456\" Removed=\"7\" ScansNumber=\"42\" Ignored=\"-5\" "
                     "Quarantined=\"2147483647\"");
    }
    static std::vector<std::string> Flags() { return {}; }
    static void CheckDefaults(Class& s)
    {
        EXPECT_EQ("", s.GetDBVersion());
        EXPECT_EQ(0, s.GetSignatures());
        EXPECT_EQ(0, s.GetScansNumber());
        EXPECT_EQ(0, s.GetQuarantined());
    }
    static void CheckCustom(Class& s)
    {
        EXPECT_EQ("2024-05-01", s.GetDBVersion());
        EXPECT_EQ(123456, s.GetSignatures());
        EXPECT_EQ(42, s.GetScansNumber());
        EXPECT_EQ(2147483647, s.GetQuarantined());
    }
};

// Loading a missing file moves the current directory; every test puts it back.
class SettingsTestBase : public ::testing::Test
{
protected:
    void SetUp() override { GetCurrentDirectoryA(MAX_PATH, m_savedDir); }
    void TearDown() override { SetCurrentDirectoryA(m_savedDir); }

    TempFolder m_temp;
    char m_savedDir[MAX_PATH];
};

template <class Traits>
class SettingsFileTest : public SettingsTestBase
{
};

using AllSettings =
    ::testing::Types<AppTraits, ScannerTraits, ScanTraits, UpdateTraits, UpdateSoftTraits, StatsTraits>;
TYPED_TEST_SUITE(SettingsFileTest, AllSettings);

} // namespace

TYPED_TEST(SettingsFileTest, FirstLoadWritesTheDefault)
{
    std::string path = this->m_temp.File(TypeParam::file);
    typename TypeParam::Class settings;
    EXPECT_TRUE(settings.Load(path));
    EXPECT_EQ(TypeParam::DefaultFile(), ReadText(path));
    TypeParam::CheckDefaults(settings);

    std::string again = this->m_temp.File("again.xml");
    EXPECT_TRUE(settings.Save(again));
    EXPECT_EQ(TypeParam::DefaultSaved(), ReadText(again));
    EXPECT_EQ(2u, this->m_temp.List().size());
}

TYPED_TEST(SettingsFileTest, EveryAttributeRoundTrips)
{
    std::string path = this->m_temp.File(TypeParam::file);
    WriteText(path, TypeParam::CustomFile());
    typename TypeParam::Class settings;
    ASSERT_TRUE(settings.Load(path));
    TypeParam::CheckCustom(settings);
    // Loading reads, it does not write.
    EXPECT_EQ(TypeParam::CustomFile(), ReadText(path));

    std::string saved = this->m_temp.File("saved.xml");
    EXPECT_TRUE(settings.Save(saved));
    EXPECT_EQ(TypeParam::CustomSaved(), ReadText(saved));

    typename TypeParam::Class reloaded;
    ASSERT_TRUE(reloaded.Load(saved));
    TypeParam::CheckCustom(reloaded);
    EXPECT_TRUE(reloaded.Save(saved));
    EXPECT_EQ(TypeParam::CustomSaved(), ReadText(saved));
}

TYPED_TEST(SettingsFileTest, EachFlagHasItsOwnAttribute)
{
    // One flag "true", the others "false": only that one comes back true.
    std::vector<std::string> flags = TypeParam::Flags();
    for (const std::string& on : flags)
    {
        TiXmlDocument doc;
        doc.Parse(TypeParam::DefaultFile().c_str());
        TiXmlElement* root = doc.FirstChildElement(TypeParam::root);
        ASSERT_NE(nullptr, root);
        for (const std::string& flag : flags)
            root->SetAttribute(flag, flag == on ? "true" : "false");
        std::string path = this->m_temp.File(TypeParam::file);
        ASSERT_TRUE(doc.SaveFile(path));

        typename TypeParam::Class settings;
        ASSERT_TRUE(settings.Load(path));
        ASSERT_TRUE(settings.Save(path));
        TiXmlDocument back;
        ASSERT_TRUE(back.LoadFile(path));
        root = back.FirstChildElement(TypeParam::root);
        ASSERT_NE(nullptr, root);
        for (const std::string& flag : flags)
            EXPECT_STREQ(flag == on ? "true" : "false", root->Attribute(flag.c_str())) << on << " / " << flag;
    }
}

TYPED_TEST(SettingsFileTest, OnlyExactTrueIsTrue)
{
    std::vector<std::string> flags = TypeParam::Flags();
    for (const char* text : {"True", "TRUE", "1", "yes", " true"})
    {
        TiXmlDocument doc;
        doc.Parse(TypeParam::DefaultFile().c_str());
        TiXmlElement* root = doc.FirstChildElement(TypeParam::root);
        ASSERT_NE(nullptr, root);
        for (const std::string& flag : flags)
            root->SetAttribute(flag, text);
        std::string path = this->m_temp.File(TypeParam::file);
        ASSERT_TRUE(doc.SaveFile(path));

        typename TypeParam::Class settings;
        ASSERT_TRUE(settings.Load(path));
        ASSERT_TRUE(settings.Save(path));
        TiXmlDocument back;
        ASSERT_TRUE(back.LoadFile(path));
        root = back.FirstChildElement(TypeParam::root);
        for (const std::string& flag : flags)
            EXPECT_STREQ("false", root->Attribute(flag.c_str())) << text << " / " << flag;
    }
}

TYPED_TEST(SettingsFileTest, DamagedFilesFallBackToTheDefault)
{
    std::string root = TypeParam::root;
    std::string otherCase = root;
    otherCase[0] = static_cast<char>(isupper(static_cast<unsigned char>(root[0])) ? tolower(root[0])
                                                                                   : toupper(root[0]));
    const std::string damaged[] = {
        "<" + root + " a=\"1\"",                              // not well-formed
        "",                                                    // empty
        "<" + otherCase + "/>",                                // root named with other case
        "<?xml version=\"1.0\"?><settings><" + root + "/></settings>", // root not at the top
        "<!-- only a comment -->"};
    for (const std::string& text : damaged)
    {
        std::string path = this->m_temp.File(TypeParam::file);
        WriteText(path, text);
        typename TypeParam::Class settings;
        EXPECT_TRUE(settings.Load(path)) << text;
        EXPECT_EQ(TypeParam::DefaultFile(), ReadText(path)) << text;
        TypeParam::CheckDefaults(settings);
        EXPECT_EQ(1u, this->m_temp.List().size()) << text;
    }
}

TYPED_TEST(SettingsFileTest, LockedFileIsReadAsDefaultAndKept)
{
    std::string path = this->m_temp.File(TypeParam::file);
    WriteText(path, TypeParam::CustomFile());
    HANDLE lock = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, lock);
    typename TypeParam::Class settings;
    EXPECT_TRUE(settings.Load(path));
    TypeParam::CheckDefaults(settings);
    CloseHandle(lock);
    EXPECT_EQ(TypeParam::CustomFile(), ReadText(path));
    EXPECT_EQ(1u, this->m_temp.List().size());
}

TYPED_TEST(SettingsFileTest, UnwritableWrongRootEndsFalseAndKeepsValues)
{
    std::string path = this->m_temp.File(TypeParam::file);
    WriteText(path, TypeParam::CustomFile());
    typename TypeParam::Class settings;
    ASSERT_TRUE(settings.Load(path));

    // The default cannot replace a file that is open elsewhere; the nested
    // retries stop at the load limit and every level reports false.
    const std::string wrong = "<wrong/>";
    WriteText(path, wrong);
    HANDLE hold = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, hold);
    EXPECT_FALSE(settings.Load(path));
    CloseHandle(hold);
    TypeParam::CheckCustom(settings);
    EXPECT_EQ(wrong, ReadText(path));
    EXPECT_EQ(1u, this->m_temp.List().size());
}

TYPED_TEST(SettingsFileTest, SingletonLifecycle)
{
    using Class = typename TypeParam::Class;
    Class* first = Class::Instance();
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(first, Class::Instance());
    std::string path = this->m_temp.File(TypeParam::file);
    EXPECT_TRUE(first->Load(path));
    TypeParam::CheckDefaults(*first);
    Class::DeleteInstance();
    Class::DeleteInstance();
    Class* second = Class::Instance();
    ASSERT_NE(nullptr, second);
    // A fresh object gets its five loads again.
    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(second->Load(path)) << i;
    EXPECT_FALSE(second->Load(path));
    Class::DeleteInstance();
}

namespace {

class SettingsValuesTest : public SettingsTestBase
{
};

} // namespace

TEST_F(SettingsValuesTest, MissingAttributesReadAsTrue)
{
    std::string path = m_temp.File("app_settings.xml");
    WriteText(path, "<general downloadNews=\"false\"/>");
    CAppSettings app;
    ASSERT_TRUE(app.Load(path));
    EXPECT_EQ("true", app.GetLanguage());
    EXPECT_TRUE(app.GetAutoScan());
    EXPECT_FALSE(app.GetDownloadNews());
    // Reading does not write the added attributes.
    EXPECT_EQ("<general downloadNews=\"false\"/>", ReadText(path));

    path = m_temp.File("app_stats.xml");
    WriteText(path, "<TelminCleanwardenStats Signatures=\"5\"/>");
    CAppStats stats;
    ASSERT_TRUE(stats.Load(path));
    EXPECT_EQ("true", stats.GetDBVersion());
    EXPECT_EQ(5, stats.GetSignatures());
    EXPECT_EQ(0, stats.GetScansNumber());
}

TEST_F(SettingsValuesTest, ScheduleTextsAndNumbers)
{
    std::string path = m_temp.File("scheduled_scan.xml");
    WriteText(path, "<ScheduledScan scheduleType=\"2x\" dayOfMonth=\"x5\" startTime=\"\"/>");
    CScheduledScanSettings scan;
    ASSERT_TRUE(scan.Load(path));
    EXPECT_EQ(2, scan.GetScheduleType());
    EXPECT_EQ(0, scan.GetDayOfMonth());
    EXPECT_EQ("21:00:00", scan.GetStartTime());
    // The missing weekday text reads "true": four characters, not seven.
    EXPECT_EQ("true", scan.GetDays());
    EXPECT_FALSE(scan.IsValid());
    scan.SetDays("0000011");
    EXPECT_TRUE(scan.IsValid());

    WriteText(path, "<ScheduledScan scheduleType=\"1\" days=\"1111111\"/>");
    CScheduledScanSettings noTime;
    ASSERT_TRUE(noTime.Load(path));
    EXPECT_EQ("true", noTime.GetStartTime());
    EXPECT_FALSE(noTime.IsValid());

    for (const char* file : {"scheduled_update.xml", "scheduled_updatesoft.xml"})
    {
        path = m_temp.File(file);
        std::string root = std::string(file) == "scheduled_update.xml" ? "ScheduledUpdate" : "ScheduledUpdateSoft";
        WriteText(path, "<" + root + " scheduleType=\"3\" startTime=\"\" days=\"\"/>");
        CScheduledUpdateSettings update;
        CScheduledUpdateSoftSettings soft;
        CScheduledUpdateData& data = root == "ScheduledUpdate" ? static_cast<CScheduledUpdateData&>(update)
                                                               : static_cast<CScheduledUpdateData&>(soft);
        bool loaded = root == "ScheduledUpdate" ? update.Load(path) : soft.Load(path);
        ASSERT_TRUE(loaded) << file;
        EXPECT_EQ("21:00:00", data.GetStartTime()) << file;
        EXPECT_EQ(0, data.GetDayOfMonth()) << file;
        EXPECT_FALSE(data.IsValid()) << file;
        data.SetDayOfMonth(31);
        EXPECT_TRUE(data.IsValid()) << file;
    }
}

TEST(ScheduleValidity, DaysTimeAndType)
{
    EXPECT_TRUE(IsValidScheduleDays("1111111"));
    EXPECT_TRUE(IsValidScheduleDays("0000000"));
    for (const char* bad : {"", "true", "111111", "11111111", "1111112", "111 111"})
        EXPECT_FALSE(IsValidScheduleDays(bad)) << bad;

    EXPECT_TRUE(IsValidScheduleTime("00:00:00"));
    EXPECT_TRUE(IsValidScheduleTime("23:59:59"));
    for (const char* bad : {"", "true", "24:00:00", "12:60:00", "12:00:60", "1:00:00", "12-00-00",
                            "12:00:00 ", "ab:cd:ef", "12:00"})
        EXPECT_FALSE(IsValidScheduleTime(bad)) << bad;

    // Days count only for type 2, the day of the month only for type 3.
    EXPECT_TRUE(IsValidSchedule(1, 0, "12:00:00", "true"));
    EXPECT_FALSE(IsValidSchedule(2, 1, "12:00:00", "true"));
    EXPECT_TRUE(IsValidSchedule(2, 0, "12:00:00", "0100000"));
    EXPECT_TRUE(IsValidSchedule(3, 31, "12:00:00", ""));
    EXPECT_FALSE(IsValidSchedule(3, 0, "12:00:00", "1111111"));
    EXPECT_FALSE(IsValidSchedule(3, 32, "12:00:00", "1111111"));
    EXPECT_FALSE(IsValidSchedule(0, 1, "12:00:00", "1111111"));
    EXPECT_FALSE(IsValidSchedule(4, 1, "12:00:00", "1111111"));
    EXPECT_FALSE(IsValidSchedule(1, 1, "true", "1111111"));
}

TEST_F(SettingsValuesTest, SettersReachTheFile)
{
    std::string path = m_temp.File("app_settings.xml");
    CAppSettings app;
    ASSERT_TRUE(app.Load(path));
    app.SetLanguage("Fran\xE7" "ais & <more>");
    app.SetAutoScan(false);
    app.SetDownloadNews(false);
    app.SetAutoRunScan(false);
    app.SetHideToTrayOnClose(true);
    ASSERT_TRUE(app.Save(path));
    CAppSettings back;
    ASSERT_TRUE(back.Load(path));
    EXPECT_EQ("Fran\xE7" "ais & <more>", back.GetLanguage());
    EXPECT_FALSE(back.GetAutoScan());
    EXPECT_FALSE(back.GetDownloadNews());
    EXPECT_FALSE(back.GetAutoRunScan());

    path = m_temp.File("app_stats.xml");
    CAppStats stats;
    ASSERT_TRUE(stats.Load(path));
    stats.SetDBVersion("2025-01-31");
    stats.SetSignatures(-1);
    stats.SetLastScan("today");
    stats.SetScansNumber(stats.GetScansNumber() + 1);
    ASSERT_TRUE(stats.Save(path));
    EXPECT_EQ(Saved("TelminCleanwardenStats DBVersion=\"2025-01-31\" LastScan=\"today\" Signatures=\"-1\" "
                    "Removed=\"0\" ScansNumber=\"1\" Ignored=\"0\" Quarantined=\"0\""),
              ReadText(path));

    path = m_temp.File("scanner_settings.xml");
    CScannerSettings scanner;
    ASSERT_TRUE(scanner.Load(path));
    CScannerSettingsData& data = scanner;
    data.SetIncludePaths("E:\\");
    data.SetHostsFile(false);
    data.SetCookiesScan(false);
    ASSERT_TRUE(scanner.Save(path));
    EXPECT_EQ(Saved("TelminCleanwardenScanner ProcessesScan=\"true\" RegistryScan=\"true\" HostsFile=\"false\" "
                    "CookiesScan=\"false\" IncludePaths=\"E:\\\"") ,
              ReadText(path));

    path = m_temp.File("scheduled_scan.xml");
    CScheduledScanSettings scan;
    ASSERT_TRUE(scan.Load(path));
    scan.SetScheduleType(2);
    scan.SetDays("1000000");
    scan.SetDayOfMonth(-7);
    scan.SetStartTime("01:02:03");
    scan.SetPaths("C:\\x");
    scan.SetIncludePaths(false);
    scan.SetActive(true);
    scan.SetEnable(true);
    ASSERT_TRUE(scan.Save(path));
    EXPECT_EQ(Saved("ScheduledScan scheduleType=\"2\" days=\"1000000\" dayOfMonth=\"-7\" startTime=\"01:02:03\" "
                    "includePaths=\"false\" Paths=\"C:\\x\" autoRemove=\"false\" autoQua=\"false\" "
                    "active=\"true\" enable=\"true\""),
              ReadText(path));
}
