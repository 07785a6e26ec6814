#pragma once
// The window of the HTML layout library's interface: it owns a page
// (CHtmlDocument), paints it double-buffered, scrolls it, passes mouse input
// to it, runs onclick handlers through its script host, and asks for the
// data the page names: first through the notification callback
// (HLN_LOAD_DATA), then from the module's resources by the URI (and by the
// whole name as type 2110), then from files beside a page loaded from a
// file, then from the web for a page that came from there. Notifications go
// to the callback, or without one to the parent window as WM_NOTIFY.

#include "platform/html/htmlayout.h"
#include "platform/html/htmldocument.h"
#include "platform/html/htmlscript.h"

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

class CHtmlView : private IHtmlDocumentHost
{
public:
    // Registers the window class once per process; its name.
    static LPCSTR ClassName();
    // The view of a window of the class, or null.
    static CHtmlView* FromWindow(HWND hwnd);

    HWND Window() const { return m_hwnd; }
    CHtmlDocument& Document() { return m_document; }
    CHtmlScriptHost& Script() { return m_script; }

    void SetCallback(LPHTMLAYOUT_NOTIFY callback, LPVOID param);
    // The module whose resources serve the page (default: the program).
    void SetResourceModule(HMODULE module) { m_module = module; }
    void AllowScrollBar(bool allow) { m_document.AllowViewportScrollBar(allow); }

    // Loads a page; url is the page's own address (for files beside it).
    void LoadHtml(const BYTE* data, size_t size, const std::wstring& url = std::wstring());
    // An http(s) address (fetched on this thread), a "file://" address, a
    // path, or "res://" + resource name or number (type 23). False when
    // nothing could be read; the page shown stays.
    bool LoadUrl(const std::wstring& url);
    void DataReady(LPCWSTR uri, const BYTE* data, DWORD size);

    // The document object with its "Script" property (a new reference).
    IDispatch* DocumentObject();

    void ElementChanged(bool renderNow);

private:
    explicit CHtmlView(HWND hwnd);
    ~CHtmlView() override;
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam);

    void DocumentChanged() override;
    bool LoadDocumentData(const std::wstring& url, std::vector<BYTE>& data) override;
    void LinkEvent(CHtmlNode* link, const std::wstring& href, int action) override;
    void ScriptHandler(CHtmlNode* element, const std::wstring& code) override;
    HWND HostWindow() const override { return m_hwnd; }

    LRESULT Notify(UINT code, NMHDR* header);
    void AttachBehaviors(CHtmlNode* under);
    void DetachBehaviors();
    void Paint();

    struct Behavior
    {
        CHtmlNode* element;
        LPELEMENT_EVENT_PROC proc;
        LPVOID tag;
        UINT events;
    };

    HWND m_hwnd;
    HMODULE m_module = nullptr;
    LPHTMLAYOUT_NOTIFY m_callback = nullptr;
    LPVOID m_callbackParam = nullptr;
    CHtmlDocument m_document;
    CHtmlScriptHost m_script;
    // Data the host handed over from inside a load-data notification.
    const std::wstring* m_requested = nullptr;
    std::vector<BYTE>* m_delivered = nullptr;
    bool m_deliveredAny = false;
    std::vector<Behavior> m_behaviors;
    bool m_tracking = false;
};
