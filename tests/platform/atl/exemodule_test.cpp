// The end of a local server: the monitor posts WM_QUIT to the thread when
// the last object goes or when none came within the idle time.

#include <gtest/gtest.h>

#include "platform/atl/atlexemodule.h"

namespace {

// {7D1B40A4-25C3-4F4B-9E0D-8C0A1E2B3C01}
const CLSID CLSID_MonitoredThing = {0x7d1b40a4, 0x25c3, 0x4f4b, {0x9e, 0x0d, 0x8c, 0x0a, 0x1e, 0x2b, 0x3c, 0x01}};

class CMonitoredThing : public CComObjectRootEx<CComMultiThreadModel>,
                        public CComCoClass<CMonitoredThing, &CLSID_MonitoredThing>,
                        public IPersist
{
public:
    BEGIN_COM_MAP(CMonitoredThing)
        COM_INTERFACE_ENTRY(IPersist)
    END_COM_MAP()
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* clsid) override
    {
        *clsid = CLSID_MonitoredThing;
        return S_OK;
    }
};

BEGIN_OBJECT_MAP(g_monitoredObjects)
    OBJECT_ENTRY(CLSID_MonitoredThing, CMonitoredThing)
END_OBJECT_MAP()

// Pumps the thread's messages until WM_QUIT (true) or `timeoutMs` (false).
bool PumpUntilQuit(DWORD timeoutMs)
{
    const DWORD begin = GetTickCount();
    for (;;)
    {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        {
            if (msg.message == WM_QUIT)
                return true;
            DispatchMessageA(&msg);
        }
        const DWORD spent = GetTickCount() - begin;
        if (spent >= timeoutMs)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, timeoutMs - spent, QS_ALLINPUT);
    }
}

class ExeModuleTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        ASSERT_EQ(0, AtlModule().GetLockCount());
        AtlModule().AddObjectMap(g_monitoredObjects);
    }
    void TearDown() override
    {
        AtlModule().Term();
        AtlModule().RemoveObjectMap(g_monitoredObjects);
        CoUninitialize();
    }

    static bool ClassServed()
    {
        CComPtr<IClassFactory> factory;
        return SUCCEEDED(CoGetClassObject(CLSID_MonitoredThing, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                                          reinterpret_cast<void**>(&factory)));
    }
};

DWORD WINAPI ReleaseOnThread(void* object)
{
    static_cast<IUnknown*>(object)->Release();
    return 0;
}

} // namespace

TEST_F(ExeModuleTest, AServerThatNoClientReachesQuitsAfterTheIdleTime)
{
    CAtlExeModule module(1, L"{9039EF7F-5A66-43AC-AF95-CE6D5820B17A}");
    ASSERT_EQ(S_OK, module.RegisterClassObjects(CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE));
    EXPECT_TRUE(ClassServed());
    const DWORD begin = GetTickCount();
    ASSERT_EQ(S_OK, module.StartMonitor(300));
    EXPECT_TRUE(module.IsMonitoring());
    EXPECT_TRUE(PumpUntilQuit(20000));
    EXPECT_GE(GetTickCount() - begin, 250u);
    // No new client reaches a server that is ending.
    EXPECT_FALSE(ClassServed());
    module.StopMonitor();
    EXPECT_FALSE(module.IsMonitoring());
}

TEST_F(ExeModuleTest, ALiveObjectKeepsTheServerAndItsLastReleaseEndsIt)
{
    CAtlExeModule module(1, L"{9039EF7F-5A66-43AC-AF95-CE6D5820B17A}");
    ASSERT_EQ(S_OK, module.RegisterClassObjects(CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE));
    CComPtr<IPersist> first, second;
    ASSERT_EQ(S_OK, CMonitoredThing::CreateInstance(&first.p));
    ASSERT_EQ(S_OK, CMonitoredThing::CreateInstance(&second.p));
    ASSERT_EQ(S_OK, module.StartMonitor(100));

    EXPECT_FALSE(PumpUntilQuit(600));       // past the idle time
    first.Release();
    EXPECT_FALSE(PumpUntilQuit(300));       // one is still alive
    EXPECT_TRUE(ClassServed());

    // The last object may go on any thread.
    HANDLE thread = CreateThread(nullptr, 0, &ReleaseOnThread, second.Detach(), 0, nullptr);
    ASSERT_TRUE(thread);
    WaitForSingleObject(thread, 10000);
    CloseHandle(thread);
    EXPECT_TRUE(PumpUntilQuit(20000));
    EXPECT_FALSE(ClassServed());
}

TEST_F(ExeModuleTest, AStoppedMonitorQuitsNothing)
{
    CAtlExeModule module(1, L"{9039EF7F-5A66-43AC-AF95-CE6D5820B17A}");
    CComPtr<IPersist> thing;
    ASSERT_EQ(S_OK, CMonitoredThing::CreateInstance(&thing.p));
    ASSERT_EQ(S_OK, module.StartMonitor(50));
    module.StopMonitor();
    thing.Release();
    EXPECT_FALSE(PumpUntilQuit(400));
}
