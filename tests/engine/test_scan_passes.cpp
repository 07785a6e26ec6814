// The two passes: the order of the areas, stop, pause, counters and the
// found-program set.
#include <gtest/gtest.h>

#include <thread>

#include "scan_test_support.h"

namespace {

int Count(const std::string& text, const std::string& part)
{
    int n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

} // namespace

TEST(ScanPasses, AreaOrderOfBothPasses)
{
    TempFolder temp;
    TestDatabase db;
    ASSERT_TRUE(db.Write(temp.File("db.bin")));
    {
        // The full-disk form: the folder walk runs over the given path only.
        MessageCapture messages;
        TestScan scan({0, 1, 2, 4, 5, 6});
        scan.scanner.AddPath((temp.Path() + "\\").c_str());
        EXPECT_TRUE(scan.Run(temp.File("db.bin")));
        EXPECT_EQ("S0 C0 S1 C1 S1 C1 S2 C2 S5 C5 S6 C6 S4 C4 S1 C1 S4 C4 C7", scan.listener.Areas());
        const std::string text = MessageCapture::Text();
        const char* order[] = {"StartScan call", "Prepare to run pass#1", "scanAll started", "scanProcesses started",
                               "ScanRegistry started, #UseDetectable = 1", "scanGuarded started", "scanHosts started",
                               "scanCookies() started", "scanDisk started, #UseDetectable = 1", "FullDisk scan completed",
                               "Event raized", "Prepare to run pass#2", "scanAll started",
                               "ScanRegistry started, #UseDetectable = 0", "scanDisk started, #UseDetectable = 0",
                               "Full disk scan required", "Full disk scan path: ", "Scan complete", "Exiting StartScan"};
        size_t at = 0;
        for (const char* m : order)
        {
            const size_t next = text.find(m, at);
            ASSERT_NE(std::string::npos, next) << m;
            at = next + 1;
        }
        EXPECT_EQ(1, Count(text, "Full disk scan path: " + temp.Path() + " (engine/internalscanner ["));
        EXPECT_EQ(0, Count(text, "Quick disk scan system path"));
        // Every line carries its source and line and a blank line.
        EXPECT_EQ(Count(text, " (engine/internalscanner ["), Count(text, "])\r\n\r\n"));
    }
    {
        // Both disk flags: the step runs once per pass, as the full form.
        MessageCapture messages;
        TestScan scan({3, 4});
        EXPECT_TRUE(scan.Run(temp.File("db.bin")));
        EXPECT_EQ("S4 C4 S4 C4 C7", scan.listener.Areas());
        EXPECT_EQ(1, Count(MessageCapture::Text(), "Full disk scan required"));
    }
    {
        // No area at all: the database is still opened and the end announced.
        TestScan scan({});
        EXPECT_TRUE(scan.Run(temp.File("db.bin")));
        EXPECT_EQ("C7", scan.listener.Areas());
        EXPECT_FALSE(scan.scanner.GetCompleteFlag());
    }
}

TEST(ScanPasses, QuickFormWalksTheLocationsInBothPasses)
{
    TempFolder temp;
    TestDatabase db;
    ASSERT_TRUE(db.Write(temp.File("db.bin")));
    MessageCapture messages;
    TestScan scan({3});
    scan.scanner.AddPath(temp.Path().c_str()); // not used by the quick form
    EXPECT_TRUE(scan.Run(temp.File("db.bin")));
    EXPECT_EQ("S4 C4 S4 C4 C7", scan.listener.Areas());
    const std::string text = MessageCapture::Text();
    EXPECT_EQ(30, Count(text, "Quick disk scan system path: "));
    EXPECT_EQ(0, Count(text, "Full disk scan"));
    // Slot 0 is the lone backslash; 11 and 12 are both the Startup folder.
    EXPECT_STREQ("\\", scan.scanner.GetLocation(0));
    EXPECT_STREQ(scan.scanner.GetLocation(11), scan.scanner.GetLocation(12));
    char temp8[MAX_PATH];
    GetTempPathA(MAX_PATH, temp8);
    EXPECT_STREQ(temp8, scan.scanner.GetLocation(8));
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, MAX_PATH);
    EXPECT_EQ(std::string(windows) + "\\", scan.scanner.GetLocation(1));
    EXPECT_EQ(std::string(windows) + "\\Downloaded Program Files\\", scan.scanner.GetLocation(13));
    EXPECT_EQ(std::string(windows, 3), scan.scanner.GetLocation(14));
    for (int i = 0; i < 16; ++i)
    {
        const std::string slot = scan.scanner.GetLocation(i);
        ASSERT_FALSE(slot.empty());
        EXPECT_EQ('\\', slot[slot.size() - 1]) << i;
    }
    char system[MAX_PATH];
    GetSystemDirectoryA(system, MAX_PATH);
    EXPECT_EQ(std::string(system) + "\\drivers\\etc\\hosts", scan.scanner.GetHostsPath());
    // The counter of scanned files went out as area 3.
    EXPECT_EQ(scan.scanner.GetCounter(3), scan.listener.LastScanning(3));
    EXPECT_GT(scan.scanner.GetCounter(3), 0u);
}

TEST(ScanPasses, StopEndsEveryLaterStep)
{
    TempFolder temp;
    TestDatabase db;
    db.Program(1, "found");
    db.File(1, 0, 0, 0, "cw-none.exe");
    ASSERT_TRUE(db.Write(temp.File("db.bin")));

    TestScan scan({0, 1, 2, 3, 5, 6});
    scan.listener.onEvent = [&](const ScanEvent& e) {
        if (e.kind == "start" && e.area == 1)
            scan.scanner.Stop();
    };
    EXPECT_TRUE(scan.Run(temp.File("db.bin")));
    // The stop came inside pass 1's registry step: nothing after it runs,
    // in either pass, but the end is still announced.
    EXPECT_EQ("S0 C0 S1 C1 C7", scan.listener.Areas());
    EXPECT_FALSE(scan.scanner.GetCompleteFlag());

    // The next scan clears the stop flag again.
    scan.listener.onEvent = nullptr;
    scan.listener.events.clear();
    EXPECT_TRUE(scan.Run(temp.File("db.bin")));
    EXPECT_EQ("S0 C0 S1 C1 S1 C1 S2 C2 S5 C5 S6 C6 S4 C4 S1 C1 S4 C4 C7", scan.listener.Areas());
}

TEST(ScanPasses, PauseHoldsTheWalkUntilClearedOrStopped)
{
    TempFolder temp;
    TestDatabase db;
    for (int i = 0; i < 5; ++i)
        db.Registry(0x8000, 0x80000001, 0, ("Software\\CwNoSuch" + std::to_string(i)).c_str());
    ASSERT_TRUE(db.Write(temp.File("db.bin")));

    for (bool stopInstead : {false, true})
    {
        TestScan scan({1});
        scan.scanner.SetPause(true);
        std::thread worker([&] { scan.Run(temp.File("db.bin")); });
        Sleep(300);
        // Held after the first record of the registry step.
        EXPECT_EQ("S1", scan.listener.Areas());
        EXPECT_EQ(1u, scan.scanner.GetCounter(1));
        if (stopInstead)
            scan.scanner.Stop();
        else
            scan.scanner.SetPause(false);
        worker.join();
        if (stopInstead)
        {
            EXPECT_EQ("S1 C1 C7", scan.listener.Areas());
            EXPECT_EQ(1u, scan.scanner.GetCounter(1));
        }
        else
        {
            EXPECT_EQ("S1 C1 S1 C1 S1 C1 C7", scan.listener.Areas());
            EXPECT_GE(scan.scanner.GetCounter(1), 5u); // and the autorun values
        }
    }
}

TEST(ScanPasses, FoundProgramsEnablePassTwoAcrossScans)
{
    TempFolder temp;
    PlantedKey key("pass2");
    ASSERT_TRUE(key.Create(key.Sub("Detect")));
    ASSERT_TRUE(key.Create(key.Sub("Later")));
    ASSERT_TRUE(key.Create(key.Sub("Other")));
    TestDatabase db;
    db.Program(1, "zero");
    db.Program(1, "one");
    db.Program(1, "two");
    db.Registry(0x8000, 0x80000001, 1, key.Sub("Detect").c_str());
    db.Registry(0x0000, 0x80000001, 1, key.Sub("Later").c_str());
    db.Registry(0x0000, 0x80000001, 2, key.Sub("Other").c_str()); // program 2 is never found
    db.File(0, 0, 1, 0, "cw-complete-marker.exe");
    ASSERT_TRUE(db.Write(temp.File("db.bin")));

    TestScan scan({1});
    EXPECT_TRUE(scan.Run(temp.File("db.bin")));
    auto items = scan.listener.Items(1);
    ASSERT_EQ(2u, items.size());
    EXPECT_EQ(key.Sub("Detect"), items[0].name);
    EXPECT_EQ(key.Sub("Later"), items[1].name);
    EXPECT_EQ(1u, items[1].program);
    EXPECT_TRUE(scan.scanner.GetCompleteFlag()); // an unlocated record of a found program
    // Pass 1 counted one selected record, pass 2 one more.
    EXPECT_EQ(2u, scan.scanner.GetCounter(1));
    EXPECT_EQ(2u, scan.listener.LastScanning(1));

    // The detectable key is gone; the program found before still counts.
    RegDeleteKeyA(HKEY_CURRENT_USER, key.Sub("Detect").c_str());
    scan.listener.events.clear();
    EXPECT_TRUE(scan.Run(temp.File("db.bin")));
    items = scan.listener.Items(1);
    ASSERT_EQ(1u, items.size());
    EXPECT_EQ(key.Sub("Later"), items[0].name);
    EXPECT_EQ(2u, scan.scanner.GetCounter(1)); // a key that does not open still counts

    // A new scanner object knows nothing yet.
    TestScan fresh({1});
    EXPECT_TRUE(fresh.Run(temp.File("db.bin")));
    EXPECT_TRUE(fresh.listener.Items().empty());
    EXPECT_FALSE(fresh.scanner.GetCompleteFlag());
}
