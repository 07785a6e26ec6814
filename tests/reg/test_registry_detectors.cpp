// The registry detectors against values planted in a sandboxed registry:
// exact records, and nothing created by reading.

#include "reg/bhodetector.h"
#include "reg/controlinidetector.h"
#include "reg/ieextensiondetector.h"
#include "reg/iemenuextdetector.h"
#include "reg/ieplugindetector.h"
#include "reg/ierestrictionsdetector.h"
#include "reg/registrytoolsdetector.h"
#include "reg/runkeydetector.h"
#include "reg/servicedetector.h"
#include "reg/ssodldetector.h"
#include "reg/startpagedetector.h"
#include "reg/tcpipdomaindetector.h"
#include "reg/toolbardetector.h"
#include "reg/trusteddomaindetector.h"

#include "tests/reg/detector_test_support.h"
#include "tests/reg/registry_sandbox.h"

#include <gtest/gtest.h>

namespace {

// A sandbox with a file of known digest reachable as "%CW_PLANT%\abc.bin".
class RegistryDetectors : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_abc = PlantAbcFile(m_folder, "abc.bin");
        SetEnvironmentVariableA("CW_PLANT", m_folder.Path().c_str());
    }
    void TearDown() override { SetEnvironmentVariableA("CW_PLANT", NULL); }

    void PlantClass(const std::string& clsid, const std::string& name, const std::string& server)
    {
        m_registry.SetString(HKEY_CLASSES_ROOT, "CLSID\\" + clsid, "", name);
        m_registry.SetString(HKEY_CLASSES_ROOT, "CLSID\\" + clsid + "\\InProcServer32", "", server);
    }

    TempFolder m_folder;
    std::string m_abc;
    RegistrySandbox m_registry;
};

const char kIE[] = "Software\\Microsoft\\Internet Explorer";

} // namespace

TEST_F(RegistryDetectors, ToolbarsNameTheirClassAndExpandedServer)
{
    const std::string bar = std::string(kIE) + "\\Toolbar\\ShellBrowser";
    m_registry.SetBytes(HKEY_CURRENT_USER, bar, "{AAAA}", "\x01", REG_BINARY);
    m_registry.SetBytes(HKEY_CURRENT_USER, bar, "ITBarLayout", "\x01", REG_BINARY);
    m_registry.SetBytes(HKEY_CURRENT_USER, bar, "{BBBB}", "\x01", REG_BINARY);
    PlantClass("{AAAA}", "Planted Bar", "%CW_PLANT%\\abc.bin");

    EXPECT_EQ(Record("o3", {{"kind", "ToolBar"}, {"name", "Planted Bar"}, {"clsid", "{AAAA}"},
                            {"filename", m_abc}, {"MD5", kAbcMd5}}) +
                  Record("o3", {{"kind", "ToolBar"}, {"name", ""}, {"clsid", "{BBBB}"}}),
              Detect<CToolbarDetector>());
}

TEST_F(RegistryDetectors, RunValuesOfTheMachineComeFirstAndDigestTheProgramOfTheCommand)
{
    const char kRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    const std::string program = PlantAbcFile(m_folder, "prog.exe");
    const std::string quoted = "\"" + program + "\" /start now";
    m_registry.SetString(HKEY_LOCAL_MACHINE, kRun, "Quoted", quoted);
    m_registry.SetString(HKEY_LOCAL_MACHINE, kRun, "Upper", m_folder.File("PROG.EXE"));
    m_registry.SetString(HKEY_CURRENT_USER, kRun, "Empty", "");
    m_registry.SetString(HKEY_CURRENT_USER, kRun, "Plain", program);

    EXPECT_EQ(Record("o4", {{"path", std::string("HKEY_LOCAL_MACHINE\\") + kRun}, {"title", "Quoted"},
                            {"command", quoted}, {"MD5", kAbcMd5}}) +
                  Record("o4", {{"path", std::string("HKEY_LOCAL_MACHINE\\") + kRun}, {"title", "Upper"},
                                {"command", m_folder.File("PROG.EXE")}}) +
                  Record("o4", {{"path", std::string("HKEY_CURRENT_USER\\") + kRun}, {"title", "Empty"},
                                {"command", ""}}) +
                  Record("o4", {{"path", std::string("HKEY_CURRENT_USER\\") + kRun}, {"title", "Plain"},
                                {"command", program}, {"MD5", kAbcMd5}}),
              Detect<CRunKeyDetector>());
}

TEST_F(RegistryDetectors, StartPagesAreTheTwoNamedValuesOfEachRoot)
{
    const std::string main = std::string(kIE) + "\\Main";
    m_registry.SetString(HKEY_LOCAL_MACHINE, main, "Default_Page_URL", "http://default/");
    m_registry.SetString(HKEY_LOCAL_MACHINE, main, "Search Page", "http://search/");
    m_registry.SetString(HKEY_LOCAL_MACHINE, main, "Start Page", "http://machine/");
    // Value names are not case-sensitive, so neither is the match.
    m_registry.SetString(HKEY_CURRENT_USER, main, "START PAGE", "http://user/");
    m_registry.SetString(HKEY_CURRENT_USER, main, "Start Page Extra", "http://other/");

    EXPECT_EQ(Record("r0", {{"path", "HKEY_LOCAL_MACHINE\\" + main}, {"key", "Default_Page_URL"},
                            {"value", "http://default/"}}) +
                  Record("r0", {{"path", "HKEY_LOCAL_MACHINE\\" + main}, {"key", "Start Page"},
                                {"value", "http://machine/"}}),
              Detect<CStartPageMachineDetector>());
    EXPECT_EQ(Record("r1", {{"path", "HKEY_CURRENT_USER\\" + main}, {"key", "START PAGE"}, {"value", "http://user/"}}),
              Detect<CStartPageUserDetector>());
}

TEST_F(RegistryDetectors, MenuExtensionsPluginsAndTrustedDomainsListTheirSubkeys)
{
    const std::string menu = std::string(kIE) + "\\MenuExt";
    m_registry.SetString(HKEY_CURRENT_USER, menu + "\\E&xport", "", "res://x.dll/a.htm");
    m_registry.CreateKey(HKEY_CURRENT_USER, menu + "\\Bare");
    EXPECT_EQ(Record("o8", {{"kind", "Bare"}, {"title", "Bare"}, {"command", ""}}) +
                  Record("o8", {{"kind", "E&xport"}, {"title", "E&xport"}, {"command", "res://x.dll/a.htm"}}),
              Detect<CIEMenuExtDetector>());

    const std::string plugins = std::string(kIE) + "\\Plugins\\Extension";
    m_registry.SetString(HKEY_LOCAL_MACHINE, plugins + "\\.pdf", "Location", "C:\\x\\plug.dll");
    m_registry.CreateKey(HKEY_LOCAL_MACHINE, plugins + "\\.xyz");
    EXPECT_EQ(Record("o12", {{"extension", ".pdf"}, {"filename", "C:\\x\\plug.dll"}}) +
                  Record("o12", {{"extension", ".xyz"}, {"filename", ""}}),
              Detect<CIEPluginDetector>());

    const char kDomains[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\ZoneMap\\Domains";
    m_registry.CreateKey(HKEY_CURRENT_USER, std::string(kDomains) + "\\example.com");
    m_registry.CreateKey(HKEY_CURRENT_USER, std::string(kDomains) + "\\test.org\\www");
    EXPECT_EQ(Record("o15", {{"url", "example.com"}}) + Record("o15", {{"url", "test.org"}}),
              Detect<CTrustedDomainDetector>());
}

TEST_F(RegistryDetectors, BrowserHelpersNeedABraceAndKeepTheirServerPathUnexpanded)
{
    const char kHelpers[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects";
    m_registry.CreateKey(HKEY_LOCAL_MACHINE, std::string(kHelpers) + "\\{H1}");
    m_registry.CreateKey(HKEY_LOCAL_MACHINE, std::string(kHelpers) + "\\{H2}");
    m_registry.CreateKey(HKEY_LOCAL_MACHINE, std::string(kHelpers) + "\\{H3}");
    m_registry.CreateKey(HKEY_LOCAL_MACHINE, std::string(kHelpers) + "\\NoBrace");
    PlantClass("{H1}", "Helper One", m_abc);
    PlantClass("{H2}", "Helper Two", "%CW_PLANT%\\abc.bin");

    EXPECT_EQ(Record("o2", {{"kind", "BHO"}, {"name", "Helper One"}, {"clsid", "{H1}"}, {"filename", m_abc},
                            {"MD5", kAbcMd5}}) +
                  Record("o2", {{"kind", "BHO"}, {"name", "Helper Two"}, {"clsid", "{H2}"},
                                {"filename", "%CW_PLANT%\\abc.bin"}}) +
                  Record("o2", {{"kind", "BHO"}, {"name", ""}, {"clsid", "{H3}"}}),
              Detect<CBhoDetector>());
}

TEST_F(RegistryDetectors, ShellServiceObjectsAreValuesWhoseDataIsAClassId)
{
    const char kDelayLoad[] = "Software\\Microsoft\\Windows\\CurrentVersion\\ShellServiceObjectDelayLoad";
    m_registry.SetString(HKEY_LOCAL_MACHINE, kDelayLoad, "Planted", "{S1}");
    m_registry.SetString(HKEY_LOCAL_MACHINE, kDelayLoad, "Text", "not a class");
    PlantClass("{S1}", "Service Object", "%CW_PLANT%\\abc.bin");
    EXPECT_EQ(Record("o21", {{"kind", "SSODL"}, {"name", "Service Object"}, {"clsid", "{S1}"}, {"filename", m_abc},
                             {"MD5", kAbcMd5}}),
              Detect<CSsodlDetector>());
}

TEST_F(RegistryDetectors, ExtraButtonsTakeExecOrElseScript)
{
    const std::string ext = std::string(kIE) + "\\Extensions";
    m_registry.SetString(HKEY_LOCAL_MACHINE, ext + "\\{E1}", "Exec", "%CW_PLANT%\\abc.bin");
    m_registry.SetString(HKEY_LOCAL_MACHINE, ext + "\\{E1}", "Script", "C:\\ignored.htm");
    m_registry.SetString(HKEY_LOCAL_MACHINE, ext + "\\{E1}", "ButtonText", "Button");
    m_registry.SetString(HKEY_LOCAL_MACHINE, ext + "\\{E2}", "Script", "C:\\none.htm");
    m_registry.CreateKey(HKEY_LOCAL_MACHINE, ext + "\\{E3}");
    EXPECT_EQ(Record("o9", {{"kind", "Extra button"}, {"title", "Button"}, {"clsid", "{E1}"}, {"filename", m_abc},
                            {"MD5", kAbcMd5}}) +
                  Record("o9", {{"kind", "Extra button"}, {"title", ""}, {"clsid", "{E2}"},
                                {"filename", "C:\\none.htm"}}) +
                  Record("o9", {{"kind", "Extra button"}, {"title", ""}, {"clsid", "{E3}"}}),
              Detect<CIEExtensionDetector>());
}

TEST_F(RegistryDetectors, HiddenControlPanelAppletsOfTheMachineThenTheUser)
{
    m_registry.SetString(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Control Panel\\don't load",
                         "timedate.cpl", "no");
    m_registry.SetString(HKEY_CURRENT_USER, "Control Panel\\don't load", "desk.cpl", "yes");
    EXPECT_EQ(Record("o5", {{"filename", "control.ini"}, {"key", "timedate.cpl"}, {"value", "no"}}) +
                  Record("o5", {{"filename", "control.ini"}, {"key", "desk.cpl"}, {"value", "yes"}}),
              Detect<CControlIniDetector>());
}

TEST_F(RegistryDetectors, PoliciesAlwaysGiveOneRecord)
{
    const char kRestrictions[] = "Software\\Policies\\Microsoft\\Internet Explorer\\Restrictions";
    const char kSystem[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";
    const std::string restrictionsPath = std::string("HKEY_CURRENT_USER\\") + kRestrictions;
    const std::string systemPath = std::string("HKEY_CURRENT_USER\\") + kSystem;

    EXPECT_EQ(Record("o6", {{"path", restrictionsPath}, {"status", "not present"}}), Detect<CIERestrictionsDetector>());
    EXPECT_EQ(Record("o7", {{"path", systemPath}, {"key", "DisableRegistryTools"}, {"value", "0"}}),
              Detect<CRegistryToolsDetector>());

    m_registry.SetDword(HKEY_CURRENT_USER, kRestrictions, "NoBrowserOptions", 0);
    m_registry.SetDword(HKEY_CURRENT_USER, kSystem, "DisableRegistryTools", 0);
    EXPECT_EQ(Record("o6", {{"path", restrictionsPath}, {"status", "not present"}}), Detect<CIERestrictionsDetector>());
    EXPECT_EQ(Record("o7", {{"path", systemPath}, {"key", "DisableRegistryTools"}, {"value", "0"}}),
              Detect<CRegistryToolsDetector>());

    m_registry.SetDword(HKEY_CURRENT_USER, kRestrictions, "NoBrowserOptions", 1);
    m_registry.SetDword(HKEY_CURRENT_USER, kSystem, "DisableRegistryTools", 2);
    EXPECT_EQ(Record("o6", {{"path", restrictionsPath}, {"status", "present"}}), Detect<CIERestrictionsDetector>());
    EXPECT_EQ(Record("o7", {{"path", systemPath}, {"key", "DisableRegistryTools"}, {"value", "1"}}),
              Detect<CRegistryToolsDetector>());
}

TEST_F(RegistryDetectors, OnlyInteractiveOwnProcessServicesAreReported)
{
    const std::string services = "System\\CurrentControlSet\\Services";
    m_registry.SetDword(HKEY_LOCAL_MACHINE, services + "\\Interactive", "Type", 0x110);
    m_registry.SetString(HKEY_LOCAL_MACHINE, services + "\\Interactive", "DisplayName", std::string(300, 'D'));
    m_registry.SetString(HKEY_LOCAL_MACHINE, services + "\\Interactive", "ImagePath", "%CW_PLANT%\\abc.bin",
                         REG_EXPAND_SZ);
    m_registry.SetDword(HKEY_LOCAL_MACHINE, services + "\\OwnProcess", "Type", 0x10);
    m_registry.SetString(HKEY_LOCAL_MACHINE, services + "\\OwnProcess", "ImagePath", m_abc);
    m_registry.SetDword(HKEY_LOCAL_MACHINE, services + "\\NoImage", "Type", 0x110);

    // A display name longer than 256 bytes is read whole.
    EXPECT_EQ(Record("o23", {{"kind", "Service"}, {"title", "Interactive"}, {"displayname", std::string(300, 'D')},
                             {"company", ""}, {"filename", m_abc}, {"MD5", kAbcMd5}}) +
                  Record("o23", {{"kind", "Service"}, {"title", "NoImage"}, {"displayname", ""}, {"company", ""}}),
              Detect<CServiceDetector>());
}

TEST_F(RegistryDetectors, InterfaceDomainsNameTheKeyThatHoldsEachValue)
{
    const std::string face = "System\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\{IF1}";
    m_registry.SetString(HKEY_LOCAL_MACHINE, face, "NameServer", "10.0.0.1");
    m_registry.SetString(HKEY_LOCAL_MACHINE, face, "DomainName", "");
    m_registry.SetString(HKEY_LOCAL_MACHINE, face, "Domain", "corp.local");
    m_registry.CreateKey(HKEY_LOCAL_MACHINE, face + "2");
    const std::string full = "HKEY_LOCAL_MACHINE\\" + face;
    EXPECT_EQ(Record("o17", {{"path", full}, {"key", "Domain"}, {"value", "corp.local"}}) +
                  Record("o17", {{"path", full}, {"key", "NameServer"}, {"value", "10.0.0.1"}}),
              Detect<CTcpipDomainDetector>());
}

TEST_F(RegistryDetectors, ReadingAnEmptyRegistryCreatesNothing)
{
    std::string all = Detect<CToolbarDetector>() + Detect<CRunKeyDetector>() + Detect<CStartPageMachineDetector>() +
                      Detect<CStartPageUserDetector>() + Detect<CIEMenuExtDetector>() + Detect<CBhoDetector>() +
                      Detect<CControlIniDetector>() + Detect<CServiceDetector>() + Detect<CIEPluginDetector>() +
                      Detect<CSsodlDetector>() + Detect<CIEExtensionDetector>() + Detect<CTrustedDomainDetector>() +
                      Detect<CTcpipDomainDetector>();
    EXPECT_EQ("", all);
    Detect<CIERestrictionsDetector>();
    Detect<CRegistryToolsDetector>();
    EXPECT_TRUE(m_registry.AllKeys().empty());
}

TEST_F(RegistryDetectors, ReadingPlantedClassesCreatesNoFurtherKeys)
{
    // Classes whose InProcServer32 key is missing: opening it to create would add it.
    const char kHelpers[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects";
    m_registry.CreateKey(HKEY_LOCAL_MACHINE, std::string(kHelpers) + "\\{H9}");
    m_registry.SetBytes(HKEY_CURRENT_USER, std::string(kIE) + "\\Toolbar\\WebBrowser", "{T9}", "\x01", REG_BINARY);
    const auto before = m_registry.AllKeys();
    Detect<CBhoDetector>();
    Detect<CToolbarDetector>();
    EXPECT_EQ(before, m_registry.AllKeys());
}
