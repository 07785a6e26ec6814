// GDI wrappers read back through memory-DC pixels, resources made by the
// build's picture tool, geometry, file search, times and the tool tip's
// bounded text.

#include <gtest/gtest.h>

#include "res/mfctest_ids.h"
#include "tests/foundation/temp_folder.h"
#include "window_test_support.h"

#include <algorithm>

TEST(Gdi, DrawingReachesTheMemoryBitmap)
{
    MemoryCanvas canvas(20, 10);
    canvas.dc.FillSolidRect(CRect(0, 0, 20, 10), RGB(10, 20, 30));
    canvas.dc.FillSolidRect(5, 2, 3, 3, RGB(200, 100, 0));
    EXPECT_EQ(RGB(10, 20, 30), canvas.dc.GetPixel(0, 0));
    EXPECT_EQ(RGB(200, 100, 0), canvas.dc.GetPixel(5, 2));
    EXPECT_EQ(RGB(200, 100, 0), canvas.dc.GetPixel(CPoint(7, 4)));
    EXPECT_EQ(RGB(10, 20, 30), canvas.dc.GetPixel(8, 4));

    CBrush brush(RGB(0, 0, 255));
    canvas.dc.FillRect(CRect(10, 0, 12, 2), &brush);
    EXPECT_EQ(RGB(0, 0, 255), canvas.dc.GetPixel(11, 1));
    // The selected object comes back as a temporary wrapper of the old handle.
    CBrush* previous = canvas.dc.SelectObject(&brush);
    ASSERT_NE(nullptr, previous);
    EXPECT_EQ(brush.m_hObject, canvas.dc.SelectObject(previous)->m_hObject);
}

TEST(Gdi, ResourcesDrawnByThePictureToolLoad)
{
    CBitmap quad;
    ASSERT_TRUE(quad.LoadBitmap(IDB_QUAD));
    BITMAP info;
    ASSERT_TRUE(quad.GetBitmap(&info));
    EXPECT_EQ(4, info.bmWidth);
    EXPECT_EQ(2, info.bmHeight);

    MemoryCanvas canvas(4, 2);
    CDC source;
    source.CreateCompatibleDC(&canvas.dc);
    CBitmap* old = source.SelectObject(&quad);
    canvas.dc.BitBlt(0, 0, 4, 2, &source, 0, 0, SRCCOPY);
    source.SelectObject(old);
    EXPECT_EQ(RGB(255, 0, 0), canvas.dc.GetPixel(0, 0));
    EXPECT_EQ(RGB(0, 255, 0), canvas.dc.GetPixel(1, 0));
    EXPECT_EQ(RGB(0, 0, 255), canvas.dc.GetPixel(2, 0));
    EXPECT_EQ(RGB(255, 255, 255), canvas.dc.GetPixel(3, 0));
    EXPECT_EQ(RGB(255, 0, 0), canvas.dc.GetPixel(3, 1));

    CImageList images;
    ASSERT_TRUE(images.Create(IDB_QUAD, 2, 0, CLR_NONE));
    EXPECT_EQ(2, images.GetImageCount());

    HICON icon = static_cast<HICON>(LoadImageA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDI_TEST), IMAGE_ICON,
                                               32, 32, 0));
    ASSERT_NE(nullptr, icon);
    ICONINFO iconInfo;
    ASSERT_TRUE(GetIconInfo(icon, &iconInfo));
    EXPECT_TRUE(iconInfo.fIcon);
    DeleteObject(iconInfo.hbmColor);
    DeleteObject(iconInfo.hbmMask);
    DestroyIcon(icon);

    // At its own size: LoadCursor would scale it to the system's cursor size.
    HCURSOR cursor = static_cast<HCURSOR>(
        LoadImageA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDC_TESTCURSOR), IMAGE_CURSOR, 0, 0, 0));
    ASSERT_NE(nullptr, cursor);
    ASSERT_TRUE(GetIconInfo(cursor, &iconInfo));
    EXPECT_FALSE(iconInfo.fIcon);
    EXPECT_EQ(7u, iconInfo.xHotspot);
    EXPECT_EQ(7u, iconInfo.yHotspot);
    DeleteObject(iconInfo.hbmColor);
    DeleteObject(iconInfo.hbmMask);
    DestroyCursor(cursor);

    char text[64] = "";
    EXPECT_EQ(27, LoadStringA(AfxGetResourceHandle(), IDS_HELLO, text, sizeof(text)));
    EXPECT_STREQ("Hello from the string table", text);
}

TEST(Geometry, RectanglesPointsAndSizes)
{
    CRect r(10, 20, 50, 80);
    EXPECT_EQ(40, r.Width());
    EXPECT_EQ(60, r.Height());
    EXPECT_EQ(CPoint(30, 50), r.CenterPoint());
    r.OffsetRect(-10, -20);
    EXPECT_EQ(CRect(0, 0, 40, 60), r);
    r.DeflateRect(5, 10);
    EXPECT_EQ(CRect(5, 10, 35, 50), r);
    EXPECT_TRUE(r.PtInRect(CPoint(5, 10)));
    EXPECT_FALSE(r.PtInRect(CPoint(35, 10)));  // right edge is outside
    CRect flipped(30, 40, 10, 20);
    flipped.NormalizeRect();
    EXPECT_EQ(CRect(10, 20, 30, 40), flipped);
    CRect both;
    EXPECT_FALSE(both.IntersectRect(CRect(0, 0, 5, 5), CRect(6, 6, 9, 9)));
    EXPECT_TRUE(both.IsRectEmpty());
    EXPECT_EQ(CSize(3, -4), CPoint(5, 1) - CPoint(2, 5));
    EXPECT_EQ(CPoint(-2, -3), CPoint(MAKELPARAM(-2, -3)));
}

TEST(FileFind, ReadsEveryEntryOnceWithTheUsualLoop)
{
    TempFolder folder;
    TempFolder::Write(folder.File("a.log"), {1, 2, 3});
    TempFolder::Write(folder.File("b.log"), {});
    CreateDirectoryA(folder.File("c.log").c_str(), nullptr);

    CFileFind finder;
    std::vector<std::string> names;
    BOOL more = finder.FindFile((folder.Path() + "\\*.log").c_str());
    EXPECT_STREQ((folder.Path() + "\\").c_str(), finder.GetRoot());
    while (more)
    {
        more = finder.FindNextFile();
        std::string name = (LPCSTR)finder.GetFileName();
        names.push_back(name + (finder.IsDirectory() ? "/" : ""));
        EXPECT_STREQ((folder.Path() + "\\" + name).c_str(), finder.GetFilePath());
        if (name == "a.log")
        {
            EXPECT_EQ(3u, finder.GetLength());
            EXPECT_STREQ("a", finder.GetFileTitle());
        }
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ((std::vector<std::string>{"a.log", "b.log", "c.log/"}), names);

    EXPECT_FALSE(finder.FindFile((folder.Path() + "\\*.none").c_str()));
    EXPECT_FALSE(finder.FindNextFile());
    EXPECT_STREQ("", finder.GetFileName());
    EXPECT_FALSE(finder.FindFile(std::string(MAX_PATH + 5, 'x').c_str()));
}

TEST(Time, LocalFieldsAndFormats)
{
    CTime t(2024, 3, 5, 10, 20, 30);
    EXPECT_EQ(2024, t.GetYear());
    EXPECT_EQ(3, t.GetMonth());
    EXPECT_EQ(5, t.GetDay());
    EXPECT_EQ(10, t.GetHour());
    EXPECT_EQ(3, t.GetDayOfWeek());  // a Tuesday
    EXPECT_STREQ("03/05/2024", t.Format("%m/%d/%Y"));
    EXPECT_STREQ("03-05-2024_10-20-30", t.Format("%m-%d-%Y_%H-%M-%S"));
    EXPECT_STREQ("1970-01-01 00:00:00", CTime(0).FormatGmt("%Y-%m-%d %H:%M:%S"));
    SYSTEMTIME st;
    ASSERT_TRUE(t.GetAsSystemTime(st));
    EXPECT_EQ(t, CTime(st));
    EXPECT_LT(CTime(1000), CTime::GetCurrentTime());
    // A time the system cannot show reads as nothing rather than garbage.
    EXPECT_STREQ("", CTime(-5).Format("%Y"));
    EXPECT_EQ(0, CTime(-5).GetYear());
}

TEST(ToolTip, LongTextIsReadBackBoundedAndTerminated)
{
    EnsureCommonControls();
    CWnd owner;
    ASSERT_TRUE(CreatePopup(owner));
    CToolTipCtrl tip;
    ASSERT_TRUE(tip.Create(&owner));
    EXPECT_EQ(300, (tip.SetMaxTipWidth(300), tip.GetMaxTipWidth()));
    std::string longText(6000, 'x');
    ASSERT_TRUE(tip.AddTool(&owner, longText.c_str(), CRect(0, 0, 10, 10), 1));
    ASSERT_TRUE(tip.AddTool(&owner, "short", CRect(10, 0, 20, 10), 2));
    EXPECT_EQ(2, tip.GetToolCount());
    CString text;
    tip.GetText(text, &owner, 2);
    EXPECT_STREQ("short", text);
    tip.GetText(text, &owner, 1);
    EXPECT_LE(text.GetLength(), static_cast<int>(CToolTipCtrl::MaxTextLength));
    EXPECT_EQ(text.GetLength(), text.SpanIncluding("x").GetLength());
    tip.GetText(text, &owner, 99);
    EXPECT_STREQ("", text);
    owner.DestroyWindow();
    EXPECT_EQ(nullptr, tip.m_hWnd);  // owned windows go with their owner
}
