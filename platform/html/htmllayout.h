#pragma once
// Block, inline and table layout of a styled tree. Boxes are placed relative
// to their containing box, so a change inside one element is laid out again
// without moving the rest: clean elements given the same width keep their
// layout, and a container only stacks its children anew.

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

class CHtmlNode;
class CHtmlImage;
class CHtmlFontCache;
class CHtmlInlineRun;
struct CHtmlFragment;

const int kHtmlScrollBarWidth = 16;

class CHtmlLayout
{
public:
    using ImageLoader = std::function<CHtmlImage*(const std::wstring& url)>;

    CHtmlLayout(CHtmlFontCache& fonts, ImageLoader images) : m_fonts(fonts), m_images(std::move(images)) {}

    // Lays the tree out for a viewport; the root is placed at (0, 0).
    void LayoutRoot(CHtmlNode* root, int width, int height);

    // Where a point (relative to root's border box) lands: the deepest
    // element, and whether it is on a scroll bar of that element.
    struct Hit
    {
        CHtmlNode* element = nullptr;
        bool scrollBar = false;
        int localX = 0, localY = 0;  // relative to the hit element's border box
    };
    Hit HitTest(CHtmlNode* root, int x, int y) const;

    // Border box of an element relative to the root, scroll offsets applied.
    static bool ElementRect(const CHtmlNode* element, RECT& rect);

    static bool IsBlockLevel(const CHtmlNode* node);
    static bool IsAtomicInline(const CHtmlNode* node);
    static void ReplacedSize(const CHtmlNode* element, int& width, int& height);

private:
    void Layout(CHtmlNode* e, int available, int forcedWidth, bool shrink, int containingHeight);
    void LayoutFlows(CHtmlNode* e, int contentWidth, int& contentHeight, int& inkBottom);
    void LayoutTable(CHtmlNode* table, int available, int forcedWidth);
    void LayoutInline(CHtmlNode* container, CHtmlInlineRun& run, int width);
    void LayoutAtomic(CHtmlNode* e, int available);
    void EnsureFlows(CHtmlNode* e);
    // The rows of a table in order, through their groups.
    std::vector<CHtmlNode*> TableRows(CHtmlNode* table);
    void Intrinsic(CHtmlNode* e, int& minWidth, int& maxWidth);
    void InlineIntrinsic(CHtmlInlineRun& run, int& minWidth, int& maxWidth);
    void LoadImages(CHtmlNode* e);

    bool HitElement(CHtmlNode* e, int x, int y, Hit& hit) const;

    CHtmlFontCache& m_fonts;
    ImageLoader m_images;
};
