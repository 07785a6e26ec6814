#pragma once
// One HTML page: its tree, style sheet, pictures and layout, with what a
// window needs to show it (painting, scrolling, hit testing, mouse input) and
// what a program needs to change it (elements by id and selector, inner HTML,
// text, attributes and style properties), each change laid out again only
// where it happened.

#include "platform/html/htmlfonts.h"
#include "platform/html/htmllayout.h"
#include "platform/html/htmlstyler.h"

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class CHtmlNode;
class CHtmlImage;

// What the page asks of the window that shows it.
class IHtmlDocumentHost
{
public:
    virtual ~IHtmlDocumentHost() = default;
    virtual void DocumentChanged() = 0;  // something must be painted again
    // Bytes of a picture or style sheet the page names; false when none.
    virtual bool LoadDocumentData(const std::wstring& url, std::vector<BYTE>& data) = 0;
    // action: 1 the mouse entered the link, 2 it left, 3 a click.
    virtual void LinkEvent(CHtmlNode* link, const std::wstring& href, int action) = 0;
    // An element's onclick handler text, run by the page's script host.
    virtual void ScriptHandler(CHtmlNode* element, const std::wstring& code) = 0;
    // The window that shows the page, if any.
    virtual HWND HostWindow() const { return nullptr; }
};

// Placement of SetHtml, as the layout library's interface numbers it.
enum HtmlPlacement
{
    kReplaceContent = 0,
    kInsertAtStart = 1,
    kAppendAtEnd = 2,
    kReplaceElement = 3,
    kInsertBefore = 4,
    kInsertAfter = 5,
};

class CHtmlDocument
{
public:
    explicit CHtmlDocument(IHtmlDocumentHost* host = nullptr);
    ~CHtmlDocument();
    CHtmlDocument(const CHtmlDocument&) = delete;
    CHtmlDocument& operator=(const CHtmlDocument&) = delete;

    void SetHost(IHtmlDocumentHost* host) { m_host = host; }
    HWND HostWindow() const { return m_host ? m_host->HostWindow() : nullptr; }

    // Replaces the page; the bytes' character set is detected.
    void Load(const BYTE* data, size_t size, const std::wstring& url = std::wstring());
    void LoadText(const std::wstring& html, const std::wstring& url = std::wstring());
    const std::wstring& Url() const { return m_url; }

    CHtmlNode* Root() const { return m_root; }
    CHtmlNode* Body() const;
    static CHtmlDocument* Of(const CHtmlNode* node);

    CHtmlNode* GetElementById(const std::wstring& id);
    // Calls each for every matching element below under (not under itself),
    // in document order, until it returns true. False for a bad selector.
    bool Select(CHtmlNode* under, const std::wstring& selector, const std::function<bool(CHtmlNode*)>& each);

    std::wstring InnerHtml(const CHtmlNode* element) const;
    bool SetHtml(CHtmlNode* element, const std::wstring& html, int placement);
    bool SetText(CHtmlNode* element, const std::wstring& text);
    std::wstring InnerText(const CHtmlNode* element) const;
    // An empty value removes the property set before.
    void SetStyleProperty(CHtmlNode* element, const std::string& name, const std::wstring& value);
    void SetAttribute(CHtmlNode* element, const char* name, const std::wstring& value);

    // Viewport of the window; with the scroll bar allowed, a page taller than
    // the viewport gets one.
    void SetViewport(int width, int height);
    void AllowViewportScrollBar(bool allow);
    void UpdateLayout();
    void Paint(HDC dc, const RECT& clip);
    // Border box of an element in viewport coordinates (after scrolling).
    bool ElementRect(const CHtmlNode* element, RECT& rect);
    CHtmlNode* ElementAt(int x, int y);
    int ViewportScroll() const { return m_scrollY; }
    void ScrollViewport(int y);

    // Mouse input in viewport coordinates.
    void MouseMove(int x, int y);
    void MouseDown(int x, int y);
    void MouseUp(int x, int y);
    void MouseWheel(int delta, int x, int y);
    void MouseLeave();
    bool WantsHandCursor() const { return m_hand; }
    bool Dragging() const { return m_drag != nullptr || m_dragViewport; }

    // A picture the host delivers after it was asked for.
    void DataArrived(const std::wstring& url, const BYTE* data, size_t size);

private:
    void Reset();
    void Restyle(CHtmlNode* element);
    void CollectStyleSheets(CHtmlNode* element, int depth);
    CHtmlImage* Image(const std::wstring& url);
    void Changed();
    void Click(CHtmlNode* target);
    void UpdateHover(CHtmlNode* target);
    bool ScrollBarPress(CHtmlNode* owner, int localY, bool viewport);
    void ScrollElement(CHtmlNode* e, int y);

    IHtmlDocumentHost* m_host;
    std::wstring m_url;
    CHtmlNode* m_root = nullptr;
    CHtmlStyler m_styler;
    CHtmlFontCache m_fonts;
    CHtmlLayout m_layout;
    std::map<std::wstring, std::unique_ptr<CHtmlImage>> m_images;
    std::unordered_map<std::wstring, CHtmlNode*> m_ids;
    bool m_idsValid = false;            // read again only after the tree or an id changed
    int m_width = 0, m_height = 0;
    int m_layoutWidth = -1, m_layoutHeight = -1;
    bool m_allowScrollBar = true;
    bool m_scrollBar = false;
    int m_scrollY = 0;
    CHtmlNode* m_pressed = nullptr;
    CHtmlNode* m_hover = nullptr;
    CHtmlNode* m_link = nullptr;
    bool m_hand = false;
    CHtmlNode* m_drag = nullptr;        // element whose scroll thumb is dragged
    bool m_dragViewport = false;
    int m_dragStartY = 0, m_dragStartScroll = 0;
};
