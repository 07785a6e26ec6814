#include "platform/html/htmldocument.h"

#include "platform/html/htmlimage.h"
#include "platform/html/htmlnode.h"
#include "platform/html/htmlpainter.h"
#include "platform/html/htmlparser.h"

#include <algorithm>

namespace
{
const int kLineScroll = 16;
const size_t kMaxImages = 512;

// Keeps a reference in a slot, so a node the tree drops stays valid there.
void Hold(CHtmlNode*& slot, CHtmlNode* node)
{
    if (slot == node)
        return;
    if (node)
        node->AddRef();
    if (slot)
        slot->Release();
    slot = node;
}

CHtmlNode* NearestWithAttribute(CHtmlNode* e, const char* tag, const char* attribute)
{
    for (; e; e = e->parent)
        if (e->IsElement() && (!tag || e->tag == tag) && e->Attribute(attribute))
            return e;
    return nullptr;
}

void AppendText(const CHtmlNode* n, std::wstring& out, int depth)
{
    if (n->kind == CHtmlNode::Text)
    {
        out += n->text;
        return;
    }
    if (n->tag == "br")
        out += L'\n';
    if (depth > 1024 || n->tag == "script" || n->tag == "style")
        return;
    for (const CHtmlNode* c : n->children)
        AppendText(c, out, depth + 1);
}

template <class F>
bool Walk(CHtmlNode* n, const F& f, int depth = 0)
{
    for (CHtmlNode* c : n->children)
    {
        if (!c->IsElement())
            continue;
        if (f(c))
            return true;
        if (depth < 4096 && Walk(c, f, depth + 1))
            return true;
    }
    return false;
}
}  // namespace

CHtmlDocument::CHtmlDocument(IHtmlDocumentHost* host)
    : m_host(host), m_layout(m_fonts, [this](const std::wstring& url) { return Image(url); })
{
    LoadText(std::wstring());
}

CHtmlDocument::~CHtmlDocument()
{
    Reset();
}

void CHtmlDocument::Reset()
{
    Hold(m_pressed, nullptr);
    Hold(m_hover, nullptr);
    Hold(m_link, nullptr);
    Hold(m_drag, nullptr);
    m_dragViewport = false;
    if (m_root)
    {
        m_root->document = nullptr;
        m_root->Release();
        m_root = nullptr;
    }
    m_images.clear();
    m_ids.clear();
    m_idsValid = false;
    m_styler.Clear();
    m_scrollY = 0;
    m_layoutWidth = -1;
}

CHtmlDocument* CHtmlDocument::Of(const CHtmlNode* node)
{
    if (!node)
        return nullptr;
    while (node->parent)
        node = node->parent;
    return node->document;
}

CHtmlNode* CHtmlDocument::Body() const
{
    for (CHtmlNode* c : m_root->children)
        if (c->tag == "body")
            return c;
    return m_root;
}

void CHtmlDocument::Load(const BYTE* data, size_t size, const std::wstring& url)
{
    LoadText(DecodeHtmlBytes(data, size), url);
}

void CHtmlDocument::LoadText(const std::wstring& html, const std::wstring& url)
{
    Reset();
    m_url = url;
    m_root = new CHtmlNode(CHtmlNode::Element, "html");
    m_root->document = this;
    CHtmlParser::ParseDocument(html.data(), html.size(), m_root);
    CollectStyleSheets(m_root, 0);
    Restyle(m_root);
    Changed();
}

void CHtmlDocument::CollectStyleSheets(CHtmlNode* e, int depth)
{
    for (CHtmlNode* c : e->children)
    {
        if (!c->IsElement())
            continue;
        if (c->tag == "style")
        {
            std::wstring css;
            for (CHtmlNode* t : c->children)
                if (t->kind == CHtmlNode::Text)
                    css += t->text;
            m_styler.AddStyleSheet(css);
        }
        else if (c->tag == "link")
        {
            const std::wstring* rel = c->Attribute("rel");
            const std::wstring* href = c->Attribute("href");
            std::vector<BYTE> bytes;
            if (rel && href && _wcsicmp(rel->c_str(), L"stylesheet") == 0 && m_host &&
                m_host->LoadDocumentData(*href, bytes) && !bytes.empty())
                m_styler.AddStyleSheet(DecodeHtmlBytes(bytes.data(), bytes.size()));
        }
        else if (depth < 64)
            CollectStyleSheets(c, depth + 1);
    }
}

void CHtmlDocument::Restyle(CHtmlNode* element)
{
    if (element->IsElement())
        m_styler.StyleTree(element);
    element->MarkDirty();
}

void CHtmlDocument::Changed()
{
    if (m_host)
        m_host->DocumentChanged();
}

CHtmlImage* CHtmlDocument::Image(const std::wstring& url)
{
    auto it = m_images.find(url);
    if (it != m_images.end())
        return it->second.get();
    if (m_images.size() >= kMaxImages)
        return nullptr;
    std::vector<BYTE> bytes;
    std::unique_ptr<CHtmlImage> image;
    if (m_host && m_host->LoadDocumentData(url, bytes) && !bytes.empty())
        image = CHtmlImage::Decode(bytes.data(), bytes.size());
    CHtmlImage* result = image.get();
    m_images[url] = std::move(image);  // a failure is remembered too
    return result;
}

void CHtmlDocument::DataArrived(const std::wstring& url, const BYTE* data, size_t size)
{
    std::unique_ptr<CHtmlImage> image = CHtmlImage::Decode(data, size);
    if (!image)
        return;
    m_images[url] = std::move(image);
    // Elements that had no picture look again.
    Walk(m_root, [](CHtmlNode* e) {
        e->image = nullptr;
        e->backgroundImage = nullptr;
        e->box.dirty = true;
        e->box.intrinsicValid = false;
        return false;
    });
    m_root->MarkDirty();
    Changed();
}

CHtmlNode* CHtmlDocument::GetElementById(const std::wstring& id)
{
    if (!m_idsValid)
    {
        m_ids.clear();
        Walk(m_root, [this](CHtmlNode* e) {
            if (const std::wstring* v = e->Attribute("id"))
                m_ids.emplace(*v, e);  // the first in document order wins
            return false;
        });
        m_idsValid = true;
    }
    auto it = m_ids.find(id);
    return it == m_ids.end() ? nullptr : it->second;
}

bool CHtmlDocument::Select(CHtmlNode* under, const std::wstring& selector, const std::function<bool(CHtmlNode*)>& each)
{
    CHtmlSelector sel;
    if (!under || !sel.Parse(selector))
        return false;
    Walk(under, [&](CHtmlNode* e) { return sel.Matches(e) && each(e); });
    return true;
}

std::wstring CHtmlDocument::InnerHtml(const CHtmlNode* element) const
{
    return CHtmlParser::Serialize(element);
}

std::wstring CHtmlDocument::InnerText(const CHtmlNode* element) const
{
    std::wstring out;
    AppendText(element, out, 0);
    return out;
}

bool CHtmlDocument::SetHtml(CHtmlNode* e, const std::wstring& html, int placement)
{
    if (!e || !e->IsElement())
        return false;
    CHtmlNode* parent = e;
    size_t index = 0;
    switch (placement)
    {
    case kReplaceContent:
        e->RemoveChildren();
        break;
    case kInsertAtStart:
        break;
    case kAppendAtEnd:
        index = e->children.size();
        break;
    case kReplaceElement:
    case kInsertBefore:
    case kInsertAfter:
    {
        parent = e->parent;
        if (!parent)
            return false;
        index = std::find(parent->children.begin(), parent->children.end(), e) - parent->children.begin();
        if (placement == kInsertAfter)
            ++index;
        if (placement == kReplaceElement)
            parent->DetachChild(index)->Release();
        break;
    }
    default:
        return false;
    }
    size_t added = CHtmlParser::ParseFragment(html.data(), html.size(), parent, index);
    bool sheets = false;
    for (size_t i = index; i < index + added; ++i)
    {
        CHtmlNode* c = parent->children[i];
        sheets |= c->tag == "style";
        Restyle(c);
    }
    if (sheets && Of(parent) == this)
    {
        m_styler.Clear();
        CollectStyleSheets(m_root, 0);
        Restyle(m_root);
    }
    parent->MarkDirty();
    m_idsValid = false;
    Changed();
    return true;
}

bool CHtmlDocument::SetText(CHtmlNode* e, const std::wstring& text)
{
    if (!e || !e->IsElement())
        return false;
    e->RemoveChildren();
    if (!text.empty())
    {
        CHtmlNode* t = new CHtmlNode(CHtmlNode::Text, std::string());
        t->text = text;
        e->AppendChild(t);
    }
    e->MarkDirty();
    m_idsValid = false;
    Changed();
    return true;
}

void CHtmlDocument::SetStyleProperty(CHtmlNode* e, const std::string& name, const std::wstring& value)
{
    if (!e || !e->IsElement())
        return;
    if (value.empty())
    {
        auto& o = e->styleOverrides;
        o.erase(std::remove_if(o.begin(), o.end(), [&](const std::pair<std::string, std::wstring>& p) { return p.first == name; }),
                o.end());
    }
    else
        CHtmlStyler::SetOverride(e, name, value);
    Restyle(e);
    if (e->parent)
        e->parent->MarkDirty();  // a change of display alters the parent's flows
    Changed();
}

void CHtmlDocument::SetAttribute(CHtmlNode* e, const char* name, const std::wstring& value)
{
    if (!e || !e->IsElement())
        return;
    e->SetAttribute(name, value);
    if (strcmp(name, "checked") == 0)
        e->checked = true;
    else if (strcmp(name, "id") == 0)
        m_idsValid = false;
    Restyle(e);
    if (e->parent)
        e->parent->MarkDirty();
    Changed();
}

void CHtmlDocument::SetViewport(int width, int height)
{
    width = std::max(0, width);
    height = std::max(0, height);
    if (width == m_width && height == m_height)
        return;
    m_width = width;
    m_height = height;
    Changed();
}

void CHtmlDocument::AllowViewportScrollBar(bool allow)
{
    if (m_allowScrollBar == allow)
        return;
    m_allowScrollBar = allow;
    m_layoutWidth = -1;
    Changed();
}

void CHtmlDocument::UpdateLayout()
{
    if (!m_root->box.dirty && m_layoutWidth == m_width && m_layoutHeight == m_height)
        return;
    m_layout.LayoutRoot(m_root, m_width, m_height);
    bool bar = m_allowScrollBar && m_root->box.height > m_height && m_width > kHtmlScrollBarWidth;
    if (bar)
        m_layout.LayoutRoot(m_root, m_width - kHtmlScrollBarWidth, m_height);
    m_scrollBar = bar;
    m_layoutWidth = m_width;
    m_layoutHeight = m_height;
    ScrollViewport(m_scrollY);
}

void CHtmlDocument::ScrollViewport(int y)
{
    int maxScroll = m_scrollBar ? std::max(0, m_root->box.height - m_height) : 0;
    int clamped = std::max(0, std::min(y, maxScroll));
    if (clamped != m_scrollY)
    {
        m_scrollY = clamped;
        if (m_host)
            m_host->DocumentChanged();
    }
}

void CHtmlDocument::Paint(HDC dc, const RECT& clip)
{
    UpdateLayout();
    // The canvas takes the page's background.
    COLORREF canvas = RGB(255, 255, 255);
    CHtmlNode* body = Body();
    if (m_root->style.background.set)
        canvas = m_root->style.background.rgb;
    else if (body->style.background.set)
        canvas = body->style.background.rgb;
    COLORREF old = SetBkColor(dc, canvas);
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &clip, nullptr, 0, nullptr);
    SetBkColor(dc, old);
    RECT pageClip = clip;
    if (m_scrollBar)
        pageClip.right = std::min<LONG>(pageClip.right, m_width - kHtmlScrollBarWidth);
    int saved = SaveDC(dc);
    IntersectClipRect(dc, pageClip.left, pageClip.top, pageClip.right, pageClip.bottom);
    CHtmlPainter::Paint(m_root, dc, 0, -m_scrollY, pageClip);
    RestoreDC(dc, saved);
    if (m_scrollBar)
    {
        RECT bar = {m_width - kHtmlScrollBarWidth, 0, m_width, m_height};
        CHtmlPainter::DrawScrollBar(dc, bar, CHtmlPainter::Measure(m_height, m_root->box.height, m_height, m_scrollY));
    }
}

bool CHtmlDocument::ElementRect(const CHtmlNode* element, RECT& rect)
{
    if (Of(element) != this)
        return false;
    UpdateLayout();
    if (!CHtmlLayout::ElementRect(element, rect))
        return false;
    OffsetRect(&rect, 0, -m_scrollY);
    return true;
}

CHtmlNode* CHtmlDocument::ElementAt(int x, int y)
{
    UpdateLayout();
    if (m_scrollBar && x >= m_width - kHtmlScrollBarWidth)
        return nullptr;
    CHtmlLayout::Hit hit = m_layout.HitTest(m_root, x, y + m_scrollY);
    return hit.element ? hit.element : m_root;
}

void CHtmlDocument::UpdateHover(CHtmlNode* target)
{
    if (target == m_hover)
        return;
    std::vector<CHtmlNode*> oldChain, newChain;
    for (CHtmlNode* n = m_hover; n; n = n->parent)
        oldChain.push_back(n);
    for (CHtmlNode* n = target; n; n = n->parent)
        newChain.push_back(n);
    for (CHtmlNode* n : oldChain)
        n->hovered = false;
    for (CHtmlNode* n : newChain)
        n->hovered = true;
    if (m_styler.UsesHover())
    {
        // Restyle the outermost elements whose state changed.
        std::vector<CHtmlNode*> changed;
        for (CHtmlNode* n : oldChain)
            if (!n->hovered)
                changed.push_back(n);
        for (CHtmlNode* n : newChain)
            if (std::find(oldChain.begin(), oldChain.end(), n) == oldChain.end())
                changed.push_back(n);
        for (CHtmlNode* n : changed)
        {
            bool nested = false;
            for (CHtmlNode* p = n->parent; p && !nested; p = p->parent)
                nested = std::find(changed.begin(), changed.end(), p) != changed.end();
            if (!nested && Of(n) == this)
                Restyle(n);
        }
        if (!changed.empty() && m_host)
            m_host->DocumentChanged();
    }
    Hold(m_hover, target);
    CHtmlNode* link = NearestWithAttribute(target, "a", "href");
    if (link != m_link)
    {
        if (m_link && m_host && Of(m_link) == this)
            m_host->LinkEvent(m_link, *m_link->Attribute("href"), 2);
        Hold(m_link, link);
        if (link && m_host)
            m_host->LinkEvent(link, *link->Attribute("href"), 1);
    }
    m_hand = false;
    for (CHtmlNode* n = target; n && !m_hand; n = n->parent)
        m_hand = n->style.pointer;
}

void CHtmlDocument::MouseMove(int x, int y)
{
    UpdateLayout();
    // A dragged thumb moves the content as far as its share of the track.
    auto dragged = [&](const CHtmlPainter::ScrollBar& p) {
        int track = std::max(1, (p.trackBottom - p.trackTop) - (p.thumbBottom - p.thumbTop));
        return m_dragStartScroll + static_cast<int>(static_cast<long long>(y - m_dragStartY) * p.maxScroll / track);
    };
    if (m_dragViewport)
    {
        ScrollViewport(dragged(CHtmlPainter::Measure(m_height, m_root->box.height, m_height, m_scrollY)));
        return;
    }
    if (m_drag)
    {
        RECT bar;
        CHtmlPainter::ScrollBar p;
        if (Of(m_drag) == this && CHtmlPainter::ElementScrollBar(m_drag, bar, p))
            ScrollElement(m_drag, dragged(p));
        return;
    }
    CHtmlNode* target = ElementAt(x, y);
    if (target)
        UpdateHover(target);
}

void CHtmlDocument::MouseLeave()
{
    UpdateHover(nullptr);
}

void CHtmlDocument::ScrollElement(CHtmlNode* e, int y)
{
    int maxScroll = std::max(0, e->box.contentHeight - (e->box.height - e->style.BorderPaddingV()));
    int clamped = std::max(0, std::min(y, maxScroll));
    if (clamped == e->box.scrollY)
        return;
    e->box.scrollY = clamped;
    if (m_host)
        m_host->DocumentChanged();
}

bool CHtmlDocument::ScrollBarPress(CHtmlNode* owner, int localY, bool viewport)
{
    CHtmlPainter::ScrollBar p;
    int current, page;
    if (viewport)
    {
        p = CHtmlPainter::Measure(m_height, m_root->box.height, m_height, m_scrollY);
        current = m_scrollY;
        page = m_height;
    }
    else
    {
        RECT bar;
        if (!CHtmlPainter::ElementScrollBar(owner, bar, p))
            return false;
        localY -= bar.top;
        current = owner->box.scrollY;
        page = owner->box.height - owner->style.BorderPaddingV();
    }
    int target = current;
    if (localY < p.trackTop)
        target -= kLineScroll;
    else if (localY >= p.trackBottom)
        target += kLineScroll;
    else if (localY < p.thumbTop)
        target -= page;
    else if (localY >= p.thumbBottom)
        target += page;
    else
    {
        m_dragViewport = viewport;
        Hold(m_drag, viewport ? nullptr : owner);
        m_dragStartY = localY;
        m_dragStartScroll = current;
        return true;
    }
    if (viewport)
        ScrollViewport(target);
    else
        ScrollElement(owner, target);
    return true;
}

void CHtmlDocument::MouseDown(int x, int y)
{
    UpdateLayout();
    if (m_scrollBar && x >= m_width - kHtmlScrollBarWidth)
    {
        ScrollBarPress(nullptr, y, true);
        if (m_dragViewport)
            m_dragStartY = y;
        return;
    }
    CHtmlLayout::Hit hit = m_layout.HitTest(m_root, x, y + m_scrollY);
    if (hit.element && hit.scrollBar)
    {
        ScrollBarPress(hit.element, hit.localY, false);
        if (m_drag)
            m_dragStartY = y;
        return;
    }
    Hold(m_pressed, hit.element ? hit.element : m_root);
}

void CHtmlDocument::MouseUp(int x, int y)
{
    if (m_drag || m_dragViewport)
    {
        Hold(m_drag, nullptr);
        m_dragViewport = false;
        return;
    }
    CHtmlNode* pressed = m_pressed;
    if (!pressed)
        return;
    pressed->AddRef();
    Hold(m_pressed, nullptr);
    CHtmlNode* target = ElementAt(x, y);
    // A click is a press and a release on the same element or inside it.
    bool same = false;
    for (CHtmlNode* n = target; n && !same; n = n->parent)
        same = n == pressed;
    if (same && Of(pressed) == this)
        Click(target);
    pressed->Release();
}

void CHtmlDocument::Click(CHtmlNode* target)
{
    target->AddRef();
    if (target->tag == "input")
    {
        std::wstring type = target->InputType();
        if (type == L"checkbox")
            target->checked = !target->checked;
        else if (type == L"radio")
            target->checked = true;
        Changed();
    }
    if (CHtmlNode* handler = NearestWithAttribute(target, nullptr, "onclick"))
    {
        handler->AddRef();
        std::wstring code = *handler->Attribute("onclick");
        if (m_host)
            m_host->ScriptHandler(handler, code);
        handler->Release();
    }
    // The handler may have changed the page; the link is looked up again.
    if (Of(target) == this)
        if (CHtmlNode* link = NearestWithAttribute(target, "a", "href"))
            if (m_host)
                m_host->LinkEvent(link, *link->Attribute("href"), 3);
    target->Release();
}

void CHtmlDocument::MouseWheel(int delta, int x, int y)
{
    UpdateLayout();
    int lines = -delta * 3 / WHEEL_DELTA;
    if (lines == 0)
        lines = delta > 0 ? -1 : 1;
    CHtmlNode* target = ElementAt(x, y);
    for (CHtmlNode* n = target; n; n = n->parent)
        if (n->box.hasScrollBar)
        {
            int before = n->box.scrollY;
            ScrollElement(n, before + lines * kLineScroll);
            if (n->box.scrollY != before)
                return;
        }
    ScrollViewport(m_scrollY + lines * kLineScroll);
}
