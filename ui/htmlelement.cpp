#include "ui/htmlelement.h"

#include <cstring>

CHtmlElement::CHtmlElement(HELEMENT he) : m_he(nullptr)
{
    if (HTMLayout_UseElement(he) == HLDOM_OK)
        m_he = he;
}

CHtmlElement::~CHtmlElement()
{
    Release();
}

void CHtmlElement::Release()
{
    if (m_he)
        HTMLayout_UnuseElement(m_he);
    m_he = nullptr;
}

HELEMENT CHtmlElement::GetRootElement(HWND hWnd)
{
    HELEMENT root = nullptr;
    HTMLayoutGetRootElement(hWnd, &root);
    return root;
}

HELEMENT CHtmlElement::GetElementById(LPCSTR id)
{
    char selector[1 + 255 + 1] = "#";
    if (id)
        strncat(selector, id, 255);
    CFinder first;
    Select(selector, first);
    return first.m_found;
}

BOOL CALLBACK CHtmlElement::SelectCallback(HELEMENT he, LPVOID param)
{
    return static_cast<CFinder*>(param)->OnElement(he) ? TRUE : FALSE;
}

HLDOM_RESULT CHtmlElement::Select(LPCSTR selector, CFinder& finder)
{
    return HTMLayoutSelectElements(m_he, selector, &CHtmlElement::SelectCallback, &finder);
}

HLDOM_RESULT CHtmlElement::Update(bool renderNow)
{
    return HTMLayoutUpdateElement(m_he, renderNow ? TRUE : FALSE);
}

HLDOM_RESULT CHtmlElement::SetHtml(const BYTE* html, DWORD length, UINT where)
{
    if (html && length)
        return HTMLayoutSetElementHtml(m_he, html, length, where);
    return HTMLayoutSetElementInnerText16(m_he, L"", 0);
}

HLDOM_RESULT CHtmlElement::SetStyleAttribute(LPCSTR name, LPCWSTR value)
{
    return HTMLayoutSetStyleAttribute(m_he, name, value);
}
