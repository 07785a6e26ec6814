// The road of engine events to the pages: the dispatcher's lists, the sink's
// forwarding and results, and a real scan's events reaching the listeners on
// the thread that subscribed.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/enginelistener.h"
#include "app/engineeventdispatcher.h"
#include "tests/app/app_test_support.h"
#include "tests/engine/scan_client.h"

namespace {

// A page that records every call as "<name>:<event>".
class RecordingPage : public CEngineEventHandler
{
public:
    RecordingPage(const std::string& name, std::vector<std::string>& log) : name(name), log(log) {}

    void OnScanning(ScanAreaType area, ULONG count) override { Note("Scanning " + N(area) + " " + N(count)); }
    void OnCompleteArea(ScanAreaType area) override { Note("Complete " + N(area)); }
    void OnStartedArea(ScanAreaType area) override { Note("Started " + N(area)); }
    void OnQuarantineProgress(int current, int total) override { Note("Progress " + N(current) + "/" + N(total)); }
    void OnSubItemAdded(IThreatCollection*, IThreat*, ISearchItem* item) override
    {
        CComBSTR text;
        if (item)
            item->get_ItemName(&text);
        Note("SubItem " + ScanClient::Text(text));
    }
    void OnScanningFolder(BSTR folder) override { Note("Folder " + ScanClient::Text(folder)); }
    void OnQuaException(ULONG_PTR code) override { Note("QuaException " + N(code)); }

    std::string name;
    std::vector<std::string>& log;
    std::vector<DWORD> threads;
    std::function<void()> during;

private:
    template <class T>
    static std::string N(T value)
    {
        return std::to_string(static_cast<unsigned long long>(value));
    }
    void Note(const std::string& text)
    {
        log.push_back(name + ":" + text);
        threads.push_back(GetCurrentThreadId());
        if (during)
            during();
    }
};

// The application object as the sink sees it: firings go to a dispatcher.
class FakeApplication : public IEngineEventTarget
{
public:
    void FireOnScanning(ScanAreaType area, ULONG count) override { dispatcher.FireOnScanning(area, count); }
    void FireOnCompleteArea(ScanAreaType area) override { dispatcher.FireOnCompleteArea(area); }
    void FireOnStartedArea(ScanAreaType area) override { dispatcher.FireOnStartedArea(area); }
    void FireOnScanningFolder(BSTR folder) override { dispatcher.FireOnScanningFolder(folder); }
    void FireOnQuarantineProgress(int current, int total) override
    {
        dispatcher.FireOnQuarantineProgress(current, total);
    }
    void FireOnSubItemAdded(IThreatCollection* c, IThreat* t, ISearchItem* i) override
    {
        dispatcher.FireOnSubItemAdded(c, t, i);
    }
    int OnEngineException(ULONG_PTR code, int isScanner) override
    {
        exceptions.push_back(std::to_string(code) + (isScanner ? " scanner" : " quarantine"));
        return 1;
    }

    CEngineEventDispatcher dispatcher;
    std::vector<std::string> exceptions;
};

typedef std::vector<std::string> Calls;

} // namespace

TEST(EngineEventDispatcher, CallsTheNewestPairFirstAndDuplicatesTwice)
{
    CEngineEventDispatcher dispatcher;
    Calls log;
    RecordingPage a("A", log), b("B", log);

    dispatcher.FireOnStartedArea(saRegistry);  // nobody listens: nothing happens
    EXPECT_TRUE(log.empty());

    EXPECT_EQ(0, dispatcher.AddOnStartedArea(&a, &CEngineEventHandler::OnStartedArea));
    EXPECT_EQ(0, dispatcher.AddOnStartedArea(&b, &CEngineEventHandler::OnStartedArea));
    EXPECT_EQ(0, dispatcher.AddOnStartedArea(&a, &CEngineEventHandler::OnStartedArea));
    EXPECT_EQ(0, dispatcher.AddOnScanning(&a, &CEngineEventHandler::OnScanning));
    dispatcher.FireOnStartedArea(saHosts);
    dispatcher.FireOnScanning(saFullDisk, 42);
    EXPECT_EQ((Calls{"A:Started 5", "B:Started 5", "A:Started 5", "A:Scanning 4 42"}), log);

    // Each event has its own list; arities pass every argument on.
    log.clear();
    dispatcher.AddOnQuarantineProgress(&b, &CEngineEventHandler::OnQuarantineProgress);
    dispatcher.AddOnQuaException(&b, &CEngineEventHandler::OnQuaException);
    dispatcher.AddOnScanningFolder(&b, &CEngineEventHandler::OnScanningFolder);
    dispatcher.AddOnCompleteArea(&b, &CEngineEventHandler::OnCompleteArea);
    dispatcher.FireOnQuarantineProgress(3, 9);
    dispatcher.FireOnQuaException(0xC0000005);
    dispatcher.FireOnScanningFolder(CComBSTR(L"C:\\Data"));
    dispatcher.FireOnCompleteArea(saCookies);
    dispatcher.FireOnSubItemAdded(nullptr, nullptr, nullptr);
    EXPECT_EQ((Calls{"B:Progress 3/9", "B:QuaException 3221225477", "B:Folder C:\\Data", "B:Complete 6"}), log);
}

TEST(EngineEventDispatcher, RemoveTakesOutTheNewestEqualPair)
{
    CEngineEventDispatcher dispatcher;
    Calls log;
    RecordingPage a("A", log), b("B", log);
    dispatcher.AddOnCompleteArea(&a, &CEngineEventHandler::OnCompleteArea);
    dispatcher.AddOnCompleteArea(&b, &CEngineEventHandler::OnCompleteArea);
    dispatcher.AddOnCompleteArea(&a, &CEngineEventHandler::OnCompleteArea);

    // Never added: 1, the list unchanged.
    EXPECT_EQ(1, dispatcher.RemoveOnCompleteArea(&b, &CEngineEventHandler::OnStartedArea));
    EXPECT_EQ(1, dispatcher.RemoveOnStartedArea(&a, &CEngineEventHandler::OnStartedArea));
    // The newer A goes: B is then called before the older A.
    EXPECT_EQ(0, dispatcher.RemoveOnCompleteArea(&a, &CEngineEventHandler::OnCompleteArea));
    dispatcher.FireOnCompleteArea(saProcesses);
    EXPECT_EQ((Calls{"B:Complete 0", "A:Complete 0"}), log);

    EXPECT_EQ(0, dispatcher.RemoveOnCompleteArea(&a, &CEngineEventHandler::OnCompleteArea));
    EXPECT_EQ(1, dispatcher.RemoveOnCompleteArea(&a, &CEngineEventHandler::OnCompleteArea));
    EXPECT_EQ(0, dispatcher.RemoveOnCompleteArea(&b, &CEngineEventHandler::OnCompleteArea));
    log.clear();
    dispatcher.FireOnCompleteArea(saProcesses);
    EXPECT_TRUE(log.empty());

    // Nothing is accepted without listener or handler.
    EXPECT_EQ(1, dispatcher.AddOnCompleteArea(nullptr, &CEngineEventHandler::OnCompleteArea));
    EXPECT_EQ(1, dispatcher.AddOnCompleteArea(&a, nullptr));
}

// A page that closes itself when told a scan area has started.
class SelfClosingPage : public CEngineEventHandler
{
public:
    explicit SelfClosingPage(Calls& log) : log(log) {}
    void OnStartedArea(ScanAreaType) override
    {
        log.push_back("Closing:Started");
        delete this;
    }
    Calls& log;
};

TEST(EngineEventDispatcher, HandlersMayRemoveAndDestroyListenersWhileFiring)
{
    CEngineEventDispatcher dispatcher;
    Calls log;
    RecordingPage self("Self", log);
    auto doomed = std::make_unique<RecordingPage>("Doomed", log);
    auto removed = std::make_unique<RecordingPage>("Removed", log);
    RecordingPage last("Last", log);
    // List order: Self, Closing, Doomed, Removed, Last.
    dispatcher.AddOnStartedArea(&last, &CEngineEventHandler::OnStartedArea);
    dispatcher.AddOnStartedArea(removed.get(), &CEngineEventHandler::OnStartedArea);
    dispatcher.AddOnStartedArea(doomed.get(), &CEngineEventHandler::OnStartedArea);
    dispatcher.AddOnStartedArea(new SelfClosingPage(log), &CEngineEventHandler::OnStartedArea);
    dispatcher.AddOnStartedArea(&self, &CEngineEventHandler::OnStartedArea);

    // Self takes itself and a later page out, and destroys another later
    // page that is still registered; the closing page deletes itself.
    bool once = true;
    self.during = [&] {
        if (!once)
            return;
        once = false;
        EXPECT_EQ(0, dispatcher.RemoveOnStartedArea(&self, &CEngineEventHandler::OnStartedArea));
        EXPECT_EQ(0, dispatcher.RemoveOnStartedArea(removed.get(), &CEngineEventHandler::OnStartedArea));
        doomed.reset();
    };
    dispatcher.FireOnStartedArea(saRegistry);
    EXPECT_EQ((Calls{"Self:Started 1", "Closing:Started", "Last:Started 1"}), log);

    // Pairs added while firing are called from the next event on.
    log.clear();
    RecordingPage late("Late", log);
    bool added = false;
    last.during = [&] {
        if (!added)
            dispatcher.AddOnStartedArea(&late, &CEngineEventHandler::OnStartedArea);
        added = true;
    };
    dispatcher.FireOnStartedArea(saHosts);
    dispatcher.FireOnStartedArea(saCookies);
    EXPECT_EQ((Calls{"Last:Started 5", "Late:Started 6", "Last:Started 6"}), log);
    EXPECT_EQ(1, dispatcher.RemoveOnStartedArea(removed.get(), &CEngineEventHandler::OnStartedArea));
}

TEST(EngineEventDispatcher, AListenerDestroyedWhileRegisteredLeavesEveryList)
{
    Calls log;
    CEngineEventDispatcher dispatcher;
    RecordingPage keeper("Keeper", log);
    {
        RecordingPage gone("Gone", log);
        dispatcher.AddOnScanning(&gone, &CEngineEventHandler::OnScanning);
        dispatcher.AddOnScanning(&keeper, &CEngineEventHandler::OnScanning);
        dispatcher.AddOnScanning(&gone, &CEngineEventHandler::OnScanning);
        dispatcher.AddOnSubItemAdded(&gone, &CEngineEventHandler::OnSubItemAdded);
    }
    dispatcher.FireOnScanning(saQuickDisk, 7);
    dispatcher.FireOnSubItemAdded(nullptr, nullptr, nullptr);
    EXPECT_EQ((Calls{"Keeper:Scanning 3 7"}), log);

    // A listener may also outlive its dispatcher.
    auto shortLived = std::make_unique<CEngineEventDispatcher>();
    RecordingPage survivor("Survivor", log);
    shortLived->AddOnCompleteArea(&survivor, &CEngineEventHandler::OnCompleteArea);
    shortLived.reset();
    // ...and then join another one.
    EXPECT_EQ(0, dispatcher.AddOnCompleteArea(&survivor, &CEngineEventHandler::OnCompleteArea));
    // A listener belongs to one dispatcher at a time.
    CEngineEventDispatcher second;
    EXPECT_EQ(1, second.AddOnCompleteArea(&survivor, &CEngineEventHandler::OnCompleteArea));
}

class EngineListenerTest : public StaTest
{
};

TEST_F(EngineListenerTest, ForwardsEventsWithTheSinkResults)
{
    FakeApplication app;
    Calls log;
    RecordingPage page("P", log);
    app.dispatcher.AddOnQuarantineProgress(&page, &CEngineEventHandler::OnQuarantineProgress);
    app.dispatcher.AddOnStartedArea(&page, &CEngineEventHandler::OnStartedArea);
    app.dispatcher.AddOnCompleteArea(&page, &CEngineEventHandler::OnCompleteArea);
    app.dispatcher.AddOnScanningFolder(&page, &CEngineEventHandler::OnScanningFolder);
    app.dispatcher.AddOnScanning(&page, &CEngineEventHandler::OnScanning);

    CComObject<CEngineListener>* sink = nullptr;
    ASSERT_EQ(S_OK, CComObject<CEngineListener>::CreateInstance(&sink));
    CComPtr<IUnknown> holder(sink->GetUnknown());
    // Without a target (and so without listeners) the results are the same.
    CComQIPtr<IThreatCollectionEvents> collectionEvents(holder);
    EXPECT_EQ(S_OK, collectionEvents->OnSubItemAdded(nullptr, nullptr, nullptr));
    sink->SetTarget(&app);

    CComQIPtr<IQuarantineEvents> quarantine(holder);
    CComQIPtr<IScannerEvents> scanner(holder);
    ASSERT_TRUE(quarantine && scanner && collectionEvents);
    EXPECT_EQ(E_NOTIMPL, quarantine->OnQuarantineProgress(2, 5));
    EXPECT_EQ(E_NOTIMPL, quarantine->OnItemAdded(nullptr, nullptr));
    EXPECT_EQ(E_NOTIMPL, quarantine->OnQuaException(17));
    EXPECT_EQ(E_NOTIMPL, scanner->OnStartedArea(saCookies));
    EXPECT_EQ(E_NOTIMPL, scanner->OnCompleteArea(saCookies));
    EXPECT_EQ(E_NOTIMPL, scanner->OnScanningFolder(CComBSTR(L"D:\\")));
    EXPECT_EQ(E_NOTIMPL, scanner->OnScanning(saHosts, 12));
    EXPECT_EQ(E_NOTIMPL, scanner->OnScannerException(23));
    EXPECT_EQ(E_NOTIMPL, collectionEvents->OnItemAdded(nullptr, nullptr));
    EXPECT_EQ(S_OK, collectionEvents->OnSubItemAdded(nullptr, nullptr, nullptr));
    EXPECT_EQ(E_NOTIMPL, collectionEvents->OnSubItemRemoved(nullptr, nullptr, nullptr));
    EXPECT_EQ((Calls{"P:Progress 2/5", "P:Started 6", "P:Complete 6", "P:Folder D:\\", "P:Scanning 5 12"}), log);
    EXPECT_EQ((std::vector<std::string>{"17 quarantine", "23 scanner"}), app.exceptions);
}

TEST_F(EngineListenerTest, EventsOfARealScanReachTheSubscribingThread)
{
    PlantedKey marker("Software\\CwUpdateRoad\\Marker");
    FakeApplication app;
    Calls log;
    RecordingPage page("P", log);
    app.dispatcher.AddOnStartedArea(&page, &CEngineEventHandler::OnStartedArea);
    app.dispatcher.AddOnCompleteArea(&page, &CEngineEventHandler::OnCompleteArea);
    app.dispatcher.AddOnSubItemAdded(&page, &CEngineEventHandler::OnSubItemAdded);

    ScanClient client;
    ASSERT_EQ(S_OK, client.Open());
    CComObject<CEngineListener>* sink = nullptr;
    ASSERT_EQ(S_OK, CComObject<CEngineListener>::CreateInstance(&sink));
    CComPtr<IUnknown> holder(sink->GetUnknown());
    sink->SetTarget(&app);
    DWORD scannerCookie = 0, resultsCookie = 0;
    ASSERT_EQ(S_OK, AtlAdvise(client.scanner, holder, IID_IScannerEvents, &scannerCookie));
    CComPtr<IThreatCollection> results;
    client.scanner->get_Results(&results);
    ASSERT_EQ(S_OK, AtlAdvise(results, holder, IID_IThreatCollectionEvents, &resultsCookie));

    ScanClientOptions options;
    const std::string database = UpdateTestData("new.bin");
    options.database = std::wstring(database.begin(), database.end());
    options.keyText = L"pvrt82m6kd3.47h";
    options.areas = {saRegistry};
    ASSERT_EQ(S_OK, client.Run(options));

    AtlUnadvise(results, IID_IThreatCollectionEvents, resultsCookie);
    AtlUnadvise(client.scanner, IID_IScannerEvents, scannerCookie);
    ASSERT_FALSE(page.threads.empty());
    for (DWORD thread : page.threads)
        EXPECT_EQ(GetCurrentThreadId(), thread);
    bool found = false;
    for (const std::string& line : log)
        found = found || (line.find("P:SubItem ") == 0 && line.find("CwUpdateRoad\\Marker") != std::string::npos);
    EXPECT_TRUE(found) << ::testing::PrintToString(log);
    EXPECT_EQ("P:Started 1", log.front());
}
