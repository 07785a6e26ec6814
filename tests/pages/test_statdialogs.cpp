// The statistics panes: their skins (the found count turns red at the
// first item of a scan only, and back at the reset), their place at the
// parent's right edge, and the totals read from the usage statistics.

#include "pages/statdialogs.h"
#include "resources/pages/scanids.h"
#include "tests/pages/pages_test_support.h"

namespace {

class CSkinRecordingPane : public CStatCookiesDialog
{
public:
    explicit CSkinRecordingPane(CWnd* parent) : CStatCookiesDialog(parent) {}
    std::vector<std::string> skins;

protected:
    BOOL SkinControl(UINT id, const char* skinObject) override
    {
        skins.push_back(std::to_string(id) + " " + skinObject);
        return CStatCookiesDialog::SkinControl(id, skinObject);
    }
};

std::string Text(CWnd& dialog, UINT id)
{
    CString text;
    dialog.GetDlgItemText(id, text);
    return std::string(text);
}

class StatPanesTest : public PagesTest
{
};

} // namespace

TEST_F(StatPanesTest, TheFoundCountTurnsRedAtTheFirstItemAndPlainAtTheReset)
{
    CSkinRecordingPane pane(&parent);
    ASSERT_TRUE(pane.CreatePage(20, 30, 0, 0));
    EXPECT_EQ((std::vector<std::string>{"1040 DialogFrame", "1023 TitleStatic"}), pane.skins);
    EXPECT_EQ("Cookies", Text(pane, IDC_COOKIES_HEADER));
    EXPECT_EQ("Found:", Text(pane, IDC_COOKIES_FOUND_LBL));
    // Right-aligned: 20 pixels from the parent's right edge, 30 from its top.
    CRect parentClient, window;
    parent.GetClientRect(&parentClient);
    pane.GetWindowRect(&window);
    parent.ScreenToClient(&window);
    EXPECT_EQ(parentClient.right - 20, window.right);
    EXPECT_EQ(30, window.top);
    EXPECT_NE(nullptr, reinterpret_cast<HBITMAP>(pane.GetDlgItem(IDC_COOKIES_PICTURE)->SendMessage(STM_GETIMAGE, IMAGE_BITMAP)));

    pane.skins.clear();
    pane.AddFound();
    pane.AddFound();
    pane.SetScanned(17);
    EXPECT_EQ((std::vector<std::string>{"1027 RedBoldStatic"}), pane.skins);
    EXPECT_EQ("2", Text(pane, IDC_COOKIES_FOUND));
    EXPECT_EQ("17", Text(pane, IDC_COOKIES_SCANNED));
    pane.Reset();
    EXPECT_EQ((std::vector<std::string>{"1027 RedBoldStatic", "1027 SimpleStatic"}), pane.skins);
    EXPECT_EQ("0", Text(pane, IDC_COOKIES_FOUND));
    EXPECT_EQ("0", Text(pane, IDC_COOKIES_SCANNED));
    pane.AddFound();
    EXPECT_EQ("1027 RedBoldStatic", pane.skins.back());
}

TEST_F(StatPanesTest, TheTotalsShowTheUsageStatisticsWhenShownAndOnRefresh)
{
    CAppStats* stats = CAppStats::Instance();
    stats->SetDBVersion("09/21/2007");
    stats->SetSignatures(25);
    stats->SetScansNumber(3);
    CStatScanDialog totals(&parent);
    ASSERT_TRUE(totals.CreatePage(10, 10, 0, 0));
    totals.ShowWindow(SW_SHOW);
    EXPECT_EQ("09/21/2007", Text(totals, IDC_TOTALS_DBVERSION));
    EXPECT_EQ("25", Text(totals, IDC_TOTALS_KNOWN));
    EXPECT_EQ("3", Text(totals, IDC_TOTALS_SCANS));
    EXPECT_FALSE(totals.GetDlgItem(IDC_TOTALS_QUARANTINED)->GetStyle() & WS_VISIBLE);
    stats->SetScansNumber(4);
    stats->SetDBVersion(std::string(500, '9'));
    totals.FillTotals();
    EXPECT_EQ("4", Text(totals, IDC_TOTALS_SCANS));
    EXPECT_EQ(64u, Text(totals, IDC_TOTALS_DBVERSION).size());
}
