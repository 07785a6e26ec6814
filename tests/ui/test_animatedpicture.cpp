// The animated picture on a real static control: loading from memory and
// from the program's resources, playing, pausing and stopping, with what the
// control paints read back from a memory DC.

#include <gtest/gtest.h>

#include "tests/platform/html/gif_builder.h"
#include "tests/platform/html/timing.h"
#include "tests/platform/mfc/window_test_support.h"
#include "ui/animatedpicture.h"

#include <tlhelp32.h>

#include <cstring>
#include <set>
#include <vector>

namespace {

const int kSide = 16;

// Red and blue frames, each covering the whole picture for 50 ms.
std::vector<BYTE> TwoFrames(int delay = 5)
{
    return GifBuilder("89a", kSide, kSide)
        .Control(delay, 0).Image(0, 0, kSide, kSide, 0)
        .Control(delay, 0).Image(0, 0, kSide, kSide, 1)
        .Done();
}

HGLOBAL Block(const std::vector<BYTE>& bytes, size_t extra = 0)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes.size() + extra);
    memcpy(GlobalLock(block), bytes.data(), bytes.size());
    GlobalUnlock(block);
    return block;
}

struct PictureFixture
{
    PictureFixture()
    {
        EXPECT_TRUE(CreatePopup(host, nullptr, WS_POPUP | WS_VISIBLE));
        EXPECT_TRUE(picture.Create("", SS_LEFT | WS_VISIBLE, CRect(7, 9, 40, 40), &host, 1060));
    }
    BOOL Load(const std::vector<BYTE>& bytes, DWORD size = 0)
    {
        HGLOBAL block = Block(bytes);
        BOOL ok = picture.Load(block, size ? size : static_cast<DWORD>(bytes.size()));
        GlobalFree(block);
        return ok;
    }
    // What the control paints, and whether it is one colour all over.
    COLORREF Painted(bool* uniform = nullptr)
    {
        MemoryCanvas canvas(kSide, kSide);
        canvas.dc.FillSolidRect(CRect(0, 0, kSide, kSide), RGB(1, 2, 3));
        picture.SendMessage(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.dc.m_hDC), PRF_CLIENT);
        COLORREF first = canvas.dc.GetPixel(0, 0);
        if (uniform)
            *uniform = canvas.Count(CRect(0, 0, kSide, kSide), first) == kSide * kSide;
        return first;
    }

    CWnd host;
    CAnimatedPicture picture;
};

int ThreadsOfThisProcess()
{
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    int n = 0;
    for (BOOL more = Thread32First(snap, &entry); more; more = Thread32Next(snap, &entry))
        n += entry.th32OwnerProcessID == GetCurrentProcessId();
    CloseHandle(snap);
    return n;
}

} // namespace

TEST(AnimatedPicture, PlaysPausesAndStopsOnItsWindow)
{
    PictureFixture f;
    ASSERT_TRUE(f.Load(TwoFrames()));
    EXPECT_TRUE(f.picture.IsGIF());
    // The control takes the picture's size where it stands.
    CRect r;
    f.picture.GetWindowRect(r);
    f.host.ScreenToClient(r);
    EXPECT_EQ(CRect(7, 9, 7 + kSide, 9 + kSide), r);
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), f.picture.GetBackgroundColor());
    f.picture.SetBackgroundColor(RGB(255, 255, 255));
    EXPECT_EQ(RGB(255, 255, 255), f.Painted());

    // One thread however often Start is called.
    int before = ThreadsOfThisProcess();
    EXPECT_FALSE(f.picture.Start());
    EXPECT_TRUE(f.picture.IsPlaying());
    int playing = ThreadsOfThisProcess();
    EXPECT_FALSE(f.picture.Start());
    EXPECT_FALSE(f.picture.Start());
    EXPECT_EQ(before + 1, playing);
    EXPECT_EQ(playing, ThreadsOfThisProcess());

    // Painting while the thread renders: always one whole frame, both in turn.
    std::set<COLORREF> seen;
    bool torn = false;
    DWORD start = GetTickCount();
    while (GetTickCount() - start < 1500)
    {
        bool uniform = false;
        seen.insert(f.Painted(&uniform));
        torn |= !uniform;
        f.picture.Invalidate(FALSE);
        f.picture.UpdateWindow();
    }
    EXPECT_FALSE(torn);
    EXPECT_TRUE(seen.count(RGB(255, 0, 0)));
    EXPECT_TRUE(seen.count(RGB(0, 0, 255)));

    // Paused (TRUE is 1): the picture holds still; any other value resumes.
    f.picture.Pause(TRUE);
    ASSERT_TRUE(HoldsStill([&] { return f.Painted(); }));
    COLORREF held = f.Painted();
    bool still = true;
    for (int i = 0; i < 8; ++i, Sleep(40))
        still &= f.Painted() == held;
    EXPECT_TRUE(still);
    f.picture.Pause(2);
    std::set<COLORREF> again;
    for (int i = 0; i < 100 && again.size() < 2; ++i, Sleep(20))
        again.insert(f.Painted());
    EXPECT_EQ(2u, again.size());

    // Stop wakes a paused thread rather than waiting out its time, which
    // would leave the thread its picture and the control without one.
    f.picture.Pause(TRUE);
    ASSERT_TRUE(HoldsStill([&] { return f.Painted(); }));
    f.picture.Stop();
    EXPECT_FALSE(f.picture.IsPlaying());
    EXPECT_TRUE(f.picture.IsGIF());
    held = f.Painted();
    Sleep(150);
    EXPECT_EQ(held, f.Painted());
    // Stop without a thread does nothing; a new start plays again.
    f.picture.Stop();
    f.picture.Start();
    EXPECT_TRUE(f.picture.IsPlaying());

    // The window goes while playing: its destruction stops the thread.
    f.picture.DestroyWindow();
    EXPECT_FALSE(f.picture.IsPlaying());
}

TEST(AnimatedPicture, ReloadingAndDestroyingWhilePlayingFreeNothingInUse)
{
    // Pictures that change every 100 ms, unloaded and loaded anew and
    // finally destroyed while their threads run.
    for (int round = 0; round < 5; ++round)
    {
        PictureFixture f;
        ASSERT_TRUE(f.Load(TwoFrames(0)));
        f.picture.Start();
        Sleep(30);
        ASSERT_TRUE(f.Load(TwoFrames(1)));  // a new load unloads the playing one first
        EXPECT_FALSE(f.picture.IsPlaying());
        f.picture.Start();
        f.picture.Pause(TRUE);
        f.picture.UnLoad();
        EXPECT_EQ(RGB(1, 2, 3), f.Painted());  // nothing left to paint
        ASSERT_TRUE(f.Load(TwoFrames()));
        f.picture.Start();
        Sleep(20);
    }  // destroyed while playing
}

TEST(AnimatedPicture, StillPicturesResourcesAndBadInput)
{
    PictureFixture f;
    // Before a load nothing changes, not even the stored colour.
    f.picture.SetBackgroundColor(RGB(1, 1, 1));
    EXPECT_EQ(RGB(255, 255, 255), f.picture.GetBackgroundColor());
    EXPECT_FALSE(f.picture.Start());

    // A GIF of one frame is drawn once by Start, with no thread.
    std::vector<BYTE> one = GifBuilder("89a", kSide, kSide).Image(0, 0, kSide, kSide, 1).Done();
    ASSERT_TRUE(f.Load(one));
    EXPECT_FALSE(f.picture.IsGIF());
    int threads = ThreadsOfThisProcess();
    EXPECT_TRUE(f.picture.Start());
    EXPECT_FALSE(f.picture.IsPlaying());
    EXPECT_EQ(threads, ThreadsOfThisProcess());
    EXPECT_EQ(RGB(0, 0, 255), f.Painted());

    // The size given never reaches past the block.
    HGLOBAL block = Block(one);
    EXPECT_TRUE(f.picture.Load(block, 0x7FFFFFFF));
    GlobalFree(block);
    EXPECT_FALSE(f.picture.Load(nullptr, 100));
    std::vector<BYTE> junk(64, 0x5A);
    EXPECT_FALSE(f.Load(junk));
    std::vector<BYTE> noFrames = GifBuilder("89a", kSide, kSide).Done();
    EXPECT_FALSE(f.Load(noFrames));
    // A truncated animation plays the frames that are whole.
    std::vector<BYTE> cut = TwoFrames();
    cut.resize(cut.size() - 12);
    ASSERT_TRUE(f.Load(cut));
    EXPECT_FALSE(f.picture.IsGIF());  // one whole frame left: a still picture
    EXPECT_TRUE(f.picture.Start());
    EXPECT_EQ(RGB(255, 0, 0), f.Painted());

    // The scan page's animation, from the program's resources.
    EXPECT_FALSE(f.picture.LoadFromResource("NO_SUCH_PICTURE", "ANIMATED_GIF"));
    ASSERT_TRUE(f.picture.LoadFromResource(MAKEINTRESOURCEA(172), "ANIMATED_GIF"));
    EXPECT_TRUE(f.picture.IsGIF());
    EXPECT_EQ(CSize(48, 48), f.picture.GetSize());
    CRect r;
    f.picture.GetClientRect(r);
    EXPECT_EQ(CSize(48, 48), r.Size());
    f.picture.SetBackgroundColor(RGB(255, 255, 255));
    EXPECT_EQ(RGB(255, 255, 255), f.picture.GetBackgroundColor());
    EXPECT_FALSE(f.picture.Start());
    EXPECT_TRUE(f.picture.IsPlaying());
    f.picture.Stop();
}
