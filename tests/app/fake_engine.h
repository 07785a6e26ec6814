#pragma once
// Stand-ins for the engine's Scanner and Quarantine where a test needs only
// their running state: each says it runs for a given number of questions
// (-1: always), then that it is idle. Everything else is not there.

#include "engine/mothtrap.h"
#include "platform/atl/atlbase.h"

// A Scanner with nothing in it; tests override what they need.
class CScannerStub : public CComObjectRootEx<CComSingleThreadModel>, public IScanner
{
public:
    BEGIN_COM_MAP(CScannerStub)
        COM_INTERFACE_ENTRY(IScanner)
    END_COM_MAP()

    HRESULT STDMETHODCALLTYPE get_Running(BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Initialize(BSTR, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_DatabasePath(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_Paths(IPaths*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Paths(IPaths**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_AreaEnabled(ScanAreaType, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_AreaEnabled(ScanAreaType, BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_Results(IThreatCollection*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Results(IThreatCollection**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_IgnoreList(IIgnoreList**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Start() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Stop() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Pause(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetDatabaseInfo(ULONG*, ULONG*, ULONG*) override { return E_NOTIMPL; }
};

// The running state of a stand-in: "running" for runningAnswers questions
// (-1: always), then idle; the questions are counted.
struct CRunningAnswers
{
    int runningAnswers = 0;
    int runningQuestions = 0;

    bool AnswerRunning()
    {
        ++runningQuestions;
        const bool running = runningAnswers != 0;
        if (runningAnswers > 0)
            --runningAnswers;
        return running;
    }
};

class CFakeScanner : public CScannerStub, public CRunningAnswers
{
public:
    HRESULT STDMETHODCALLTYPE get_Running(BOOL* running) override
    {
        *running = AnswerRunning() ? TRUE : FALSE;
        return S_OK;
    }
};

class CFakeQuarantine : public CComObjectRootEx<CComSingleThreadModel>, public IQuarantine, public CRunningAnswers
{
public:
    BEGIN_COM_MAP(CFakeQuarantine)
        COM_INTERFACE_ENTRY(IQuarantine)
    END_COM_MAP()

    HRESULT STDMETHODCALLTYPE get_Running(LONG* running) override
    {
        *running = AnswerRunning() ? 1 : 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Item(INT, IBackup**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Count(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Lookup(DATE, IBackup**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Initialize(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CreateBackup(IBackup*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ViewBackup(IBackup*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RestoreBackup(IBackup*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE StopOperation() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_RebootRequired(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ShrinkStorage(ULONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ExecuteRemove(IBackup*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RemoveBackupFromDisk(DATE) override { return E_NOTIMPL; }
};

// A new stand-in with one reference held by the pointer given.
template <class T, class I>
T* MakeFake(CComPtr<I>& holder)
{
    CComObject<T>* object = nullptr;
    CComObject<T>::CreateInstance(&object);
    holder = object;
    return object;
}
