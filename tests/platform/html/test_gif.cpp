#include "platform/html/gifanimation.h"
#include "platform/html/giffile.h"
#include "tests/platform/html/gif_builder.h"
#include "tests/platform/html/timing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace
{
std::vector<GifFrameInfo> Walk(const std::vector<BYTE>& data)
{
    std::vector<GifFrameInfo> frames;
    CGifFile gif;
    if (!gif.Open(data.data(), data.size()))
        return frames;
    size_t pos = gif.FirstBlock();
    GifFrameInfo f;
    while (gif.NextFrame(pos, f))
        frames.push_back(f);
    EXPECT_EQ(frames.size(), gif.CountFrames());
    return frames;
}

// A window the picture sizes itself to.
struct PictureWindow
{
    PictureWindow() { hwnd = CreateWindowA("STATIC", "", WS_POPUP, 10, 20, 5, 5, nullptr, nullptr, nullptr, nullptr); }
    ~PictureWindow() { DestroyWindow(hwnd); }
    HWND hwnd;
};
}  // namespace

TEST(GifFrames, WalkReadsDelaysDisposalAndPlaces)
{
    std::vector<BYTE> data = GifBuilder()
                                 .Application()
                                 .Control(0, 1).Image()
                                 .Comment("between")
                                 .Control(5, 2).Comment("inside a frame").Image(1, 0, 1, 2)
                                 .Control(150, 3).Image(0, 1, 2, 1)
                                 .Image()  // no control extension
                                 .Done();
    std::vector<GifFrameInfo> frames = Walk(data);
    ASSERT_EQ(frames.size(), 4u);
    EXPECT_EQ(frames[0].delay, 0);
    EXPECT_EQ(frames[0].disposal, 1);
    EXPECT_EQ(frames[1].delay, 5);
    EXPECT_EQ(frames[1].disposal, 2);
    EXPECT_EQ(frames[1].left, 1);
    EXPECT_EQ(frames[1].width, 1);
    EXPECT_EQ(frames[2].delay, 150);
    EXPECT_EQ(frames[2].disposal, 3);
    EXPECT_EQ(frames[2].top, 1);
    EXPECT_EQ(frames[2].height, 1);
    EXPECT_EQ(frames[3].delay, -1);

    CGifFile gif;
    ASSERT_TRUE(gif.Open(data.data(), data.size()));
    COLORREF bg = 0;
    ASSERT_TRUE(gif.BackgroundColor(bg));
    EXPECT_EQ(bg, RGB(0, 0, 255));
    // One frame as a GIF of its own: header, screen, table, blocks, trailer.
    std::vector<BYTE> one = gif.FrameGif(frames[1]);
    EXPECT_EQ(one.size(), 13u + 6u + frames[1].length + 1u);
    EXPECT_EQ(one.back(), 0x3B);
    EXPECT_EQ(Walk(one).size(), 1u);

    EXPECT_EQ(CGifAnimation::FrameWaitMs(0), 100u);
    EXPECT_EQ(CGifAnimation::FrameWaitMs(4), 100u);
    EXPECT_EQ(CGifAnimation::FrameWaitMs(5), 50u);
    EXPECT_EQ(CGifAnimation::FrameWaitMs(150), 1500u);
    EXPECT_EQ(CGifAnimation::FrameWaitMs(3000), 10000u);
    EXPECT_EQ(CGifAnimation::FrameWaitMs(-1), 0u);
}

TEST(GifFrames, TruncatedAndHostileDataEndTheWalk)
{
    std::vector<BYTE> data = GifBuilder().Control(10, 0).Image().Control(10, 0).Image().Control(10, 0).Image().Done();
    ASSERT_EQ(Walk(data).size(), 3u);
    // Cut anywhere: only whole frames count, and nothing is read past the cut.
    size_t last = 0;
    for (size_t n = 0; n < data.size(); ++n)
    {
        std::vector<BYTE> cut(data.begin(), data.begin() + n);
        size_t count = Walk(cut).size();
        EXPECT_LE(count, 3u);
        EXPECT_GE(count, last);
        last = count;
    }
    // A sub-block that claims more than there is.
    std::vector<BYTE> lying = GifBuilder().Control(10, 0).Image().Raw({0x2C, 0, 0, 0, 0, 2, 0, 2, 0, 0, 2, 200, 1, 2}).Done();
    EXPECT_EQ(Walk(lying).size(), 1u);
    // A local colour table that does not fit.
    std::vector<BYTE> table = GifBuilder().Image().Raw({0x2C, 0, 0, 0, 0, 2, 0, 2, 0, 0x87, 2}).Done();
    EXPECT_EQ(Walk(table).size(), 1u);
    // A global table larger than the data, and a version other than 87a/89a.
    std::vector<BYTE> global = {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0x87, 0, 0, 1, 2, 3};
    CGifFile gif;
    EXPECT_FALSE(gif.Open(global.data(), global.size()));
    std::vector<BYTE> version = GifBuilder("88a").Image().Done();
    EXPECT_FALSE(gif.Open(version.data(), version.size()));
    // A control extension with nothing after it, and unknown data.
    EXPECT_EQ(Walk(GifBuilder().Image().Control(5, 0).Done()).size(), 1u);
    EXPECT_EQ(Walk(GifBuilder().Image().Raw({0x21, 0x99, 1, 1, 0}).Image().Done()).size(), 1u);
    // Random bytes after a valid header never crash the walk.
    std::vector<BYTE> noise = GifBuilder().Done();
    noise.pop_back();
    unsigned seed = 12345;
    for (int round = 0; round < 2000; ++round)
    {
        std::vector<BYTE> d = noise;
        size_t extra = (seed = seed * 1103515245 + 12345) % 64;
        for (size_t k = 0; k < extra; ++k)
        {
            seed = seed * 1103515245 + 12345;
            BYTE b = static_cast<BYTE>(seed >> 16);
            d.push_back(k % 7 == 0 ? (b & 1 ? 0x21 : 0x2C) : b);
        }
        Walk(d);
    }
}

TEST(GifAnimation, LoadsFramesAndPlaysThemOnOneThread)
{
    std::vector<BYTE> data = GifBuilder().Control(5, 0).Image(0, 0, 2, 2, 0).Control(5, 0).Image(0, 0, 2, 2, 1).Done();
    PictureWindow window;
    CGifAnimation anim;
    ASSERT_TRUE(anim.Load(window.hwnd, data.data(), data.size()));
    EXPECT_TRUE(anim.IsAnimated());
    ASSERT_EQ(anim.Frames().size(), 2u);
    EXPECT_EQ(anim.Frames()[1].delay, 5);
    RECT r;
    GetWindowRect(window.hwnd, &r);
    EXPECT_EQ(r.right - r.left, 2);  // the control takes the picture's size where it stands
    EXPECT_EQ(r.left, 10);
    EXPECT_EQ(anim.BackgroundColor(), GetSysColor(COLOR_BTNFACE));
    anim.SetBackgroundColor(RGB(255, 255, 255));
    EXPECT_EQ(anim.PixelAt(0, 0), RGB(255, 255, 255));

    EXPECT_FALSE(anim.Start());  // an animation answers FALSE
    EXPECT_TRUE(anim.Playing());
    // Both frames show in turn.
    bool red = false, blue = false;
    for (int i = 0; i < 200 && !(red && blue); ++i)
    {
        COLORREF c = anim.PixelAt(1, 1);
        red |= c == RGB(255, 0, 0);
        blue |= c == RGB(0, 0, 255);
        Sleep(10);
    }
    EXPECT_TRUE(red);
    EXPECT_TRUE(blue);
    // A second Start keeps the one thread.
    EXPECT_FALSE(anim.Start());
    EXPECT_TRUE(anim.Playing());

    // Paused, the picture holds still; painting still works meanwhile.
    anim.Pause(true);
    ASSERT_TRUE(HoldsStill([&] { return anim.PixelAt(1, 1); }));
    COLORREF held = anim.PixelAt(1, 1);
    Sleep(200);
    EXPECT_EQ(anim.PixelAt(1, 1), held);
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bmp = CreateCompatibleBitmap(dc, 2, 2);
    HGDIOBJ old = SelectObject(dc, bmp);
    anim.Paint(dc);
    EXPECT_EQ(GetPixel(dc, 1, 1), held);
    SelectObject(dc, old);
    DeleteObject(bmp);
    DeleteDC(dc);
    // Stop ends a paused thread: it does not wait out its time, which would
    // leave the thread its picture and the animation without one.
    anim.Stop();
    EXPECT_FALSE(anim.Playing());
    EXPECT_TRUE(anim.IsAnimated());
    EXPECT_NE(CLR_INVALID, anim.PixelAt(1, 1));
    // Started again after a stop, and unloaded while playing.
    anim.Start();
    EXPECT_TRUE(anim.Playing());
    anim.Unload();
    EXPECT_FALSE(anim.Playing());
    EXPECT_EQ(anim.PixelAt(0, 0), CLR_INVALID);
}

TEST(GifAnimation, PaintingHoldsTheRendererAndAThreadThatCannotEndIsLeftItsOwnPicture)
{
    std::vector<BYTE> data = GifBuilder().Control(2, 0).Image(0, 0, 2, 2, 0).Control(2, 0).Image(0, 0, 2, 2, 1).Done();
    PictureWindow window;
    CGifAnimation anim;
    ASSERT_TRUE(anim.Load(window.hwnd, data.data(), data.size()));
    anim.Start();
    bool red = false;
    for (int i = 0; i < 200 && !red; ++i, Sleep(5))
        red = anim.PixelAt(1, 1) == RGB(255, 0, 0);
    ASSERT_TRUE(red);

    // While a paint holds the picture the thread draws nothing into it,
    // though a frame lasts 100 ms.
    {
        std::unique_ptr<CGifAnimation::CPictureHold> hold = anim.HoldPicture();
        const COLORREF held = anim.PixelAt(1, 1);
        bool still = true;
        for (int i = 0; i < 8; ++i, Sleep(50))
            still &= anim.PixelAt(1, 1) == held;
        EXPECT_TRUE(still);

        // A stop meanwhile cannot end the thread (it waits for the picture):
        // after its time the thread is left with the picture it uses.
        const DWORD begin = GetTickCount();
        anim.Stop();
        EXPECT_GE(GetTickCount() - begin, 4900u);
        EXPECT_FALSE(anim.Playing());
        EXPECT_FALSE(anim.IsAnimated());
        EXPECT_EQ(CLR_INVALID, anim.PixelAt(1, 1));
    }
    // Let go, the old thread ends on its own; the animation loads and plays anew.
    Sleep(300);
    ASSERT_TRUE(anim.Load(window.hwnd, data.data(), data.size()));
    anim.Start();
    EXPECT_TRUE(anim.Playing());
    anim.Unload();
    EXPECT_FALSE(anim.Playing());
}

TEST(GifAnimation, ALongOrLargeAnimationKeepsItsFirstFramesWithinTheBounds)
{
    // Ten thousand frames of 2 x 2: the first hundred are decoded, the rest
    // left out, so the file loads as quickly as one of just those hundred
    // (decoding every frame took a hundred times as long). The two are timed
    // side by side: a loaded machine slows both alike.
    auto frames = [](size_t count) {
        GifBuilder gif;
        for (size_t i = 0; i < count; ++i)
            gif.Control(2, 0).Image(0, 0, 2, 2, static_cast<int>(i % 2));
        return gif.Done();
    };
    const std::vector<BYTE> data = frames(10000), first = frames(CGifAnimation::kMaxFrames);
    PictureWindow window;
    CGifAnimation anim;
    bool loaded = true;
    const double hundred = LeastMs([&] { loaded &= anim.Load(window.hwnd, first.data(), first.size()); }, 2);
    const double all = LeastMs([&] { loaded &= anim.Load(window.hwnd, data.data(), data.size()); }, 2);
    ASSERT_TRUE(loaded);
    EXPECT_LT(all, 4 * hundred + 200) << hundred << " ms for the first hundred frames alone";
    EXPECT_EQ(CGifAnimation::kMaxFrames, anim.Frames().size());
    anim.Start();
    EXPECT_TRUE(anim.Playing());
    anim.Unload();

    // Frames of 1,024 x 1,024 (4 MB each as pictures): eight fit the bound.
    GifBuilder large("89a", 1024, 1024);
    for (int i = 0; i < 10; ++i)
        large.Control(2, 0).Image(0, 0, 1024, 1024, i % 2);
    const std::vector<BYTE> largeData = large.Done();
    ASSERT_TRUE(anim.Load(window.hwnd, largeData.data(), largeData.size()));
    EXPECT_EQ(8u, anim.Frames().size());
}

TEST(GifAnimation, StillPicturesAndFailures)
{
    PictureWindow window;
    CGifAnimation anim;
    // Before a load nothing changes, not even the stored colour.
    anim.SetBackgroundColor(RGB(1, 2, 3));
    EXPECT_EQ(anim.BackgroundColor(), RGB(255, 255, 255));
    EXPECT_FALSE(anim.Start());

    std::vector<BYTE> one = GifBuilder().Image(0, 0, 2, 2, 0).Done();
    ASSERT_TRUE(anim.Load(window.hwnd, one.data(), one.size()));
    EXPECT_FALSE(anim.IsAnimated());
    EXPECT_TRUE(anim.Start());  // a still picture is drawn once, no thread
    EXPECT_FALSE(anim.Playing());
    EXPECT_EQ(anim.PixelAt(0, 0), RGB(255, 0, 0));

    std::vector<BYTE> empty = GifBuilder().Done();
    EXPECT_FALSE(anim.Load(window.hwnd, empty.data(), empty.size()));
    std::vector<BYTE> junk = {1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_FALSE(anim.Load(window.hwnd, junk.data(), junk.size()));
    EXPECT_FALSE(anim.LoadFromResource(window.hwnd, nullptr, "NO_SUCH", "ANIMATED_GIF"));

    // The scan page's animation, as built into the program.
    ASSERT_TRUE(anim.LoadFromResource(window.hwnd, nullptr, MAKEINTRESOURCEA(172), "ANIMATED_GIF"));
    EXPECT_TRUE(anim.IsAnimated());
    EXPECT_EQ(anim.Frames().size(), 12u);
    EXPECT_EQ(anim.Width(), 48);
    EXPECT_EQ(anim.Frames()[0].delay, 8);
}

TEST(GifAnimation, DisposalRestoresBackgroundOrThePreviousPicture)
{
    // Frame 1 paints everything red, frame 2 one blue pixel with the given
    // disposal, frame 3 another pixel; what stands at the blue pixel while
    // frame 3 shows is the disposal's work.
    auto observe = [](int disposal) {
        std::vector<BYTE> data = GifBuilder()
                                     .Control(5, 1).Image(0, 0, 2, 2, 0)
                                     .Control(5, disposal).Image(1, 1, 1, 1, 1)
                                     .Control(5, 1).Image(0, 0, 1, 1, 1)
                                     .Done();
        PictureWindow window;
        CGifAnimation anim;
        EXPECT_TRUE(anim.Load(window.hwnd, data.data(), data.size()));
        anim.SetBackgroundColor(RGB(0, 255, 0));
        anim.Start();
        // From the first frame on; before it the whole picture is background.
        for (int i = 0; i < 500 && anim.PixelAt(0, 1) != RGB(255, 0, 0); ++i)
            Sleep(2);
        std::vector<COLORREF> seen;
        for (int i = 0; i < 120; ++i)
        {
            COLORREF c = anim.PixelAt(1, 1);
            if (std::find(seen.begin(), seen.end(), c) == seen.end())
                seen.push_back(c);
            Sleep(5);
        }
        anim.Stop();
        return seen;
    };
    std::vector<COLORREF> background = observe(2);
    EXPECT_NE(std::find(background.begin(), background.end(), RGB(0, 255, 0)), background.end());
    std::vector<COLORREF> previous = observe(3);
    EXPECT_EQ(std::find(previous.begin(), previous.end(), RGB(0, 255, 0)), previous.end());
    EXPECT_NE(std::find(previous.begin(), previous.end(), RGB(255, 0, 0)), previous.end());
    EXPECT_NE(std::find(previous.begin(), previous.end(), RGB(0, 0, 255)), previous.end());
}
