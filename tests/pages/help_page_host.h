#pragma once
// The application as the help, news and update pages see it (IPageHost),
// over a scanner that the test or demo gives: registered while it lives.

#include <windows.h>

#include "app/appconstants.h"
#include "app/definitionsinfo.h"
#include "foundation/syshelpers.h"
#include "pages/pagehost.h"

class CHelpTestPageHost : public IPageHost
{
public:
    CHelpTestPageHost() : m_previous(SetPageHost(this)) {}
    ~CHelpTestPageHost() { SetPageHost(m_previous); }

    CComPtr<IScanner> scanner;
    HWND window = nullptr;
    HCURSOR linkCursor = ::LoadCursorA(nullptr, IDC_HAND);

    void GetScanner(CComPtr<IScanner>& out) override { out = scanner; }
    CComPtr<IQuarantine>* GetQuarantine() override { return nullptr; }
    CComPtr<IIgnoreList>* GetIgnoreList() override { return nullptr; }
    CEngineEventDispatcher* GetEventDispatcher() override { return nullptr; }
    HRESULT CreateEngineObject(REFCLSID, REFIID, void** object) override
    {
        *object = nullptr;
        return E_NOTIMPL;
    }
    void SetDefaultDialogSkin(CString) override {}
    void ApplyDefaultDialogSkin() override {}
    HCURSOR GetLinkCursor() const override { return linkCursor; }
    void GetDefinitionsPath(CString& path) const override
    {
        path = GetProductDataFolder() + CW_DEFINITIONS_FILE_NAME;
    }
    DWORD GetDefinitionsItemCount() override
    {
        ULONG stamp = 0, count = 0;
        m_definitions.Query(scanner, stamp, count);
        return count;
    }
    void GetDefinitionsDate(CTime& date) override
    {
        ULONG stamp = 0, count = 0;
        m_definitions.Query(scanner, stamp, count);
        date = CTime(static_cast<__time64_t>(stamp));
    }
    void GetDatabaseDateText(CString& text) override
    {
        CTime date;
        GetDefinitionsDate(date);
        text = FormatDatabaseDate(static_cast<ULONG>(date.GetTime()));
    }
    HWND GetMainWindow() override { return window; }
    CString GetCommandLineText() override { return ""; }

private:
    IPageHost* m_previous;
    CDefinitionsInfo m_definitions;
};
