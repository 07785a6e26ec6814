// The skinned tooltip: its eight positions and the choice among them at the
// work area's edges, showing after the initial delay and hiding after the
// display time or on leave, its text provider (never asked once gone), the
// skin object's look and style sheet, and what it paints.

#include <gtest/gtest.h>

#include "skin/core/skinlibrarystate.h"
#include "skin/menus/skintooltip.h"
#include "skin/objects/skinwindowobjects.h"
#include "menu_test_support.h"

namespace {

class CProvider : public CSkinTooltipProvider
{
public:
    explicit CProvider(const std::string& text) : m_text(text), m_asked(0) {}
    std::string GetTooltipTextAt(POINT) override
    {
        ++m_asked;
        return m_text;
    }
    std::string m_text;
    int m_asked;
};

TEST(SkinTooltipPlacement, EightPositionsAroundTheAnchor)
{
    const POINT p = {500, 400};
    const SIZE s = {100, 30};
    const LONG expected[8][2] = {{502, 422}, {450, 422}, {398, 422}, {502, 385},
                                 {398, 385}, {502, 368}, {450, 368}, {398, 368}};
    for (int position = 0; position < 8; ++position) {
        const RECT r = SkinTooltipRectAt(p, s, position);
        EXPECT_EQ(expected[position][0], r.left) << position;
        EXPECT_EQ(expected[position][1], r.top) << position;
        EXPECT_EQ(r.left + 100, r.right);
        EXPECT_EQ(r.top + 30, r.bottom);
    }
    RECT other = SkinTooltipRectAt(p, s, 9), first = SkinTooltipRectAt(p, s, 0);
    EXPECT_TRUE(EqualRect(&other, &first));
}

TEST(SkinTooltipPlacement, AtTheWorkAreasEdgesTheFirstPositionThatFitsIsTaken)
{
    const RECT work = {0, 0, 1000, 800};
    const SIZE s = {100, 30};
    // Below right and below centred pass the right edge (an edge counts as
    // outside); below left fits.
    RECT r = ChooseSkinTooltipRect(POINT{950, 700}, s, 0, work);
    EXPECT_EQ(848, r.left);
    EXPECT_EQ(722, r.top);
    // Near the bottom: the first that fits is left, centred vertically.
    r = ChooseSkinTooltipRect(POINT{950, 780}, s, 0, work);
    EXPECT_EQ(848, r.left);
    EXPECT_EQ(765, r.top);
    // The preferred position wins when it fits.
    r = ChooseSkinTooltipRect(POINT{500, 400}, s, 6, work);
    EXPECT_EQ(450, r.left);
    EXPECT_EQ(368, r.top);
    // Larger than the work area: position 7.
    r = ChooseSkinTooltipRect(POINT{500, 400}, SIZE{2000, 30}, 0, work);
    EXPECT_EQ(500 - 2 - 2000, r.left);
    EXPECT_EQ(400 - 2 - 30, r.top);
}

class SkinTooltipTest : public ::testing::Test
{
protected:
    SkinTooltipTest() : m_tooltip(GetSkinTooltip()), m_created(false) {}
    void SetUp() override
    {
        if (!m_tooltip.GetHwnd()) {
            RegisterSkinTooltipClass(GetModuleHandleA(NULL));
            ASSERT_TRUE(m_tooltip.Create(NULL));
            m_created = true;
        }
        m_look.m_initialDelay = 30;
        m_look.m_displayTime = 300;
        m_look.m_text = "body {font-size: 20px; color: red}";
        ASSERT_TRUE(m_tooltip.SetTooltipObject(&m_look));
        SetCursorPos(300, 300);
    }
    void TearDown() override
    {
        m_tooltip.Hide();
        m_tooltip.SetTextProvider(NULL);
        m_tooltip.SetTooltipObject(NULL);
        m_tooltip.SetText("");
        if (m_created)
            m_tooltip.Destroy();
    }
    bool Visible() const { return IsWindowVisible(m_tooltip.GetHwnd()) != FALSE; }

    CSkinTooltip& m_tooltip;
    bool m_created;
    CSkinTooltipObject m_look;
};

TEST_F(SkinTooltipTest, ShowsAfterTheDelayBesideThePointerAndHidesAfterTheDisplayTimeOrOnLeave)
{
    const POINT anchor = {10, 10};
    m_tooltip.ShowText("Quarantine <b>3</b> items", &anchor);
    EXPECT_FALSE(Visible());
    ASSERT_TRUE(PumpUntil([this] { return Visible(); }));
    POINT cursor;
    GetCursorPos(&cursor);
    EXPECT_EQ(cursor.x, m_tooltip.GetAnchor().x) << "the anchor is the pointer when the delay ends";
    HDC dc = GetDC(m_tooltip.GetHwnd());
    const SIZE text = m_tooltip.GetTextDrawer().Measure(dc, "Quarantine <b>3</b> items");
    ReleaseDC(m_tooltip.GetHwnd(), dc);
    RECT window, work;
    GetWindowRect(m_tooltip.GetHwnd(), &window);
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0));
    const RECT expected = ChooseSkinTooltipRect(cursor, SIZE{text.cx + 2, text.cy + 2}, 0, work);
    EXPECT_TRUE(EqualRect(&expected, &window));
    EXPECT_TRUE(PumpUntil([this] { return !Visible(); })) << "the display time is over";

    m_tooltip.ShowText("Again", NULL);
    ASSERT_TRUE(PumpUntil([this] { return Visible(); }));
    SendMessageA(m_tooltip.GetHwnd(), WM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(Visible());

    m_tooltip.ShowText("", NULL);
    PumpFor(120);
    EXPECT_FALSE(Visible()) << "an empty text never shows";

    // A second text while the first waits starts the delay again.
    m_tooltip.ShowText("First", NULL);
    PumpFor(10);
    m_tooltip.ShowText("Second", NULL);
    EXPECT_TRUE(PumpUntil([this] { return Visible(); }));
    EXPECT_EQ("Second", m_tooltip.GetText());
}

TEST_F(SkinTooltipTest, TheProviderGivesTheTextWhenShownAndIsNeverAskedOnceGone)
{
    CProvider* provider = new CProvider("From the control");
    m_tooltip.SetTextProvider(provider);
    m_tooltip.ShowText("placeholder", NULL);
    EXPECT_TRUE(PumpUntil([this] { return Visible(); }));
    EXPECT_EQ("From the control", m_tooltip.GetText());
    EXPECT_EQ(1, provider->m_asked);

    provider->m_text.clear();
    m_tooltip.ShowText("placeholder", NULL);
    EXPECT_TRUE(PumpUntil([provider] { return provider->m_asked == 2; }));
    PumpFor(50);
    EXPECT_FALSE(Visible()) << "an empty answer leaves it hidden";

    provider->m_text = "Shown";
    m_tooltip.ShowText("placeholder", NULL);
    ASSERT_TRUE(PumpUntil([this] { return Visible(); }));
    m_tooltip.ShowText("waiting", NULL);
    delete provider;
    EXPECT_TRUE(m_tooltip.GetTextProvider() == NULL);
    EXPECT_FALSE(Visible());
    PumpFor(120);
    EXPECT_FALSE(Visible()) << "the pending delay went with the provider";

    CProvider other("other");
    m_tooltip.SetTextProvider(&other);
    CProvider stranger("stranger");
    m_tooltip.ForgetProvider(&stranger);
    EXPECT_EQ(&other, m_tooltip.GetTextProvider()) << "only its own provider is forgotten";
    m_tooltip.SetTextProvider(NULL);
}

TEST_F(SkinTooltipTest, TheSkinObjectGivesTheLookAndStyleSheetAndOtherTypesAreRefused)
{
    ASSERT_TRUE(m_tooltip.GetTextDrawer().FindRule("body") != NULL);
    EXPECT_EQ("font-size: 20px; color: red", *m_tooltip.GetTextDrawer().FindRule("body"));
    EXPECT_TRUE(m_tooltip.GetTextDrawer().FindRule("h1") == NULL);
    CSkinPopupMenuObject menu;
    EXPECT_FALSE(m_tooltip.SetTooltipObject(&menu));
    EXPECT_EQ(&m_tooltip.GetDefaultObject(), m_tooltip.GetTooltipObject());
    EXPECT_TRUE(m_tooltip.GetTextDrawer().FindRule("h1") != NULL) << "the default sheet is back";

    // The built-in look: a black line round the info colour (shown without
    // waiting out its delay).
    m_tooltip.ShowText("        ", NULL);
    SendMessageA(m_tooltip.GetHwnd(), WM_TIMER, CSkinTooltip::DelayTimer, 0);
    ASSERT_TRUE(Visible());
    UpdateWindow(m_tooltip.GetHwnd());
    HDC dc = GetWindowDC(m_tooltip.GetHwnd());
    EXPECT_EQ(RGB(0, 0, 0), GetPixel(dc, 0, 0));
    EXPECT_EQ(GetSysColor(COLOR_INFOBK), GetPixel(dc, 3, 3));
    ReleaseDC(m_tooltip.GetHwnd(), dc);
}

} // namespace
