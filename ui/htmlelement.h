#pragma once
// One element of an HTML layout page: the wrapper holds a use of the element
// (HTMLayout_UseElement) from construction to destruction, so the handle
// stays valid even when the page drops the element meanwhile. Handles the
// wrapper hands out (root, by id) are raw: wrap them to keep them.
//
//   CHtmlElement root(CHtmlElement::GetRootElement(hwnd));
//   CHtmlElement content(root.GetElementById("content"));
//   content.SetHtml(bytes, length, 0);
//   root.Update(true);

#include "platform/html/htmlayout.h"

class CHtmlElement
{
public:
    // Told each element a selection finds; true ends the selection. This
    // one keeps the first element and ends there.
    class CFinder
    {
    public:
        virtual ~CFinder() = default;
        virtual bool OnElement(HELEMENT he)
        {
            m_found = he;
            return true;
        }
        HELEMENT m_found = nullptr;
    };

    // Holds nothing when the library refuses the use (a 0 handle, say).
    explicit CHtmlElement(HELEMENT he = nullptr);
    ~CHtmlElement();
    CHtmlElement(const CHtmlElement&) = delete;
    CHtmlElement& operator=(const CHtmlElement&) = delete;

    // Gives the use back; the wrapper then holds nothing.
    void Release();
    HELEMENT GetHandle() const { return m_he; }

    static HELEMENT GetRootElement(HWND hWnd);
    // The first element under this one with the id (cut to 255 characters), or 0.
    HELEMENT GetElementById(LPCSTR id);
    HLDOM_RESULT Select(LPCSTR selector, CFinder& finder);
    HLDOM_RESULT Update(bool renderNow);
    // UTF-8 HTML placed as where says (SIH_REPLACE_CONTENT: the inner HTML).
    // No bytes, or a length of 0, clear the element.
    HLDOM_RESULT SetHtml(const BYTE* html, DWORD length, UINT where);
    HLDOM_RESULT SetStyleAttribute(LPCSTR name, LPCWSTR value);

private:
    static BOOL CALLBACK SelectCallback(HELEMENT he, LPVOID param);

    HELEMENT m_he;
};
