#include "skin/markup/markuptextdrawer.h"

#include <stdlib.h>
#include <string.h>

#include <algorithm>

#include "skin/draw/drawmanager.h"

namespace {

const int TabStop = 32;
// Fonts and pictures are kept to sizes GDI makes quickly, whatever a text
// asks for.
const int MaxFontHeight = 1000;
const int MaxImageSide = 4096;

int Clamp(int value, int lo, int hi)
{
    return value < lo ? lo : value > hi ? hi : value;
}

bool IsResourceId(int id)
{
    // Larger values would be read as pointers to resource names.
    return id >= 1 && id <= 0xFFFF;
}

// The floor of a division by a positive step, also for negative values.
int FloorDiv(int value, int step)
{
    return value >= 0 ? value / step : -((-value + step - 1) / step);
}

} // namespace

CMarkupTextDrawer::CMarkupTextDrawer()
    : m_font(NULL), m_oldFont(NULL), m_oldBkMode(0), m_oldTextColour(0), m_oldBkColour(0), m_measuring(false),
      m_lineHeight(0), m_lineDescent(0), m_linePercent(0), m_lineAlign(0), m_widest(0), m_lineIndex(0),
      m_tableCounter(0), m_tableDepth(0), m_linkCounter(-1), m_hoveredLink(-2), m_linkOpen(false), m_linkKind(0),
      m_linkCursor(NULL), m_imageList(NULL), m_module(NULL), m_blurWidth(7), m_blurHeight(7), m_darkness(50),
      m_lineBreaks(true)
{
    memset(&m_fontTemplate, 0, sizeof(m_fontTemplate));
    m_fontTemplate.lfHeight = 12;
    m_fontTemplate.lfWeight = FW_NORMAL;
    m_fontTemplate.lfCharSet = DEFAULT_CHARSET;
    lstrcpynA(m_fontTemplate.lfFaceName, "Verdana", LF_FACESIZE);
    memset(&m_tm, 0, sizeof(m_tm));
    m_pen.x = m_pen.y = 0;
    SetRectEmpty(&m_rect);

    m_linkCursor = LoadCursorA(NULL, MAKEINTRESOURCEA(32649));
    if (!m_linkCursor) {
        // Systems without the hand cursor have one in the help viewer.
        char path[MAX_PATH];
        const UINT length = GetWindowsDirectoryA(path, MAX_PATH - 16);
        if (length && length < MAX_PATH - 16) {
            lstrcatA(path, "\\winhlp32.exe");
            if (HMODULE viewer = LoadLibraryExA(path, NULL, LOAD_LIBRARY_AS_DATAFILE)) {
                if (HCURSOR hand = LoadCursorA(viewer, MAKEINTRESOURCEA(106)))
                    m_linkCursor = (HCURSOR)CopyIcon((HICON)hand);
                FreeLibrary(viewer);
            }
        }
    }
    m_softShadow = true;
    m_shadowX = m_shadowY = 4;
    const BYTE grey = (BYTE)MulDiv(255, 100 - m_darkness, 100);
    m_shadowColour = RGB(grey, grey, grey);
}

CMarkupTextDrawer::~CMarkupTextDrawer()
{
    if (m_linkCursor)
        DestroyCursor(m_linkCursor);
    if (m_imageList)
        ImageList_Destroy(m_imageList);
}

void CMarkupTextDrawer::SetImageList(HIMAGELIST list)
{
    if (m_imageList && m_imageList != list)
        ImageList_Destroy(m_imageList);
    m_imageList = list;
}

// ---------------------------------------------------------------- passes

void CMarkupTextDrawer::Draw(HDC dc, const std::string& text, int left, int top, int right, int bottom)
{
    // The drawing pass reads the records of the measuring pass: they must
    // be this text's.
    if (text != m_measuredText || m_lines.empty())
        Measure(dc, text);
    RECT rect = {left, top, right - 1, bottom - 1};
    Pass(dc, text, rect, false);
}

SIZE CMarkupTextDrawer::Measure(HDC dc, const std::string& text)
{
    RECT empty = {0, 0, 0, 0};
    SIZE size = Pass(dc, text, empty, true);
    m_measuredText = text;
    size.cx += 1;
    size.cy += 1;
    return size;
}

SIZE CMarkupTextDrawer::Pass(HDC dc, const std::string& text, const RECT& rect, bool measuring)
{
    m_measuring = measuring;
    if (measuring) {
        m_hotAreas.clear();
        m_lines.clear();
        m_tables.clear();
    }
    m_linkCounter = -1;
    m_linkOpen = false;
    m_lineIndex = 0;
    m_tableCounter = 0;
    m_tableDepth = 0;
    ResetStyle();
    ApplyRule(dc, "body");

    m_oldFont = GetCurrentObject(dc, OBJ_FONT);
    m_oldBkMode = GetBkMode(dc);
    m_oldTextColour = GetTextColor(dc);
    m_oldBkColour = GetBkColor(dc);
    MakeFont(dc);

    const std::string body = "<body>" + text + "</body>";
    RECT piece = rect;
    SIZE total = {0, 0};
    size_t pos = 0;
    static const char* const tableTag[] = {"table", NULL};
    for (;;) {
        MarkupRawTag tag;
        const size_t table = FindMarkupTag(body, pos, body.size(), tableTag, tag) ? tag.start : std::string::npos;
        const size_t flowEnd = table == std::string::npos ? body.size() : table;
        SIZE size = FlowPass(dc, body, pos, flowEnd, piece);
        total.cx = std::max(total.cx, size.cx);
        total.cy += size.cy;
        if (!measuring)
            piece.top += size.cy;
        if (table == std::string::npos)
            break;
        const size_t end = MatchingTableEnd(body, table, body.size());
        size = TablePass(dc, body, table, end, piece);
        total.cx = std::max(total.cx, size.cx);
        total.cy += size.cy;
        if (!measuring)
            piece.top += size.cy;
        pos = end;
    }

    SelectObject(dc, m_oldFont);
    SetBkMode(dc, m_oldBkMode);
    SetBkColor(dc, m_oldBkColour);
    SetTextColor(dc, m_oldTextColour);
    ClearStyleStack();
    if (m_font)
        DeleteObject(m_font);
    m_font = NULL;
    total.cx += 1;
    total.cy += 1;
    return total;
}

SIZE CMarkupTextDrawer::FlowPass(HDC dc, const std::string& text, size_t begin, size_t end, const RECT& rect)
{
    m_rect = rect;
    m_pen.x = rect.left;
    m_pen.y = rect.top;
    m_widest = 0;
    const size_t firstLine = m_lineIndex;
    StartLine();
    CMarkupTokenizer tokens(text.data() + begin, text.data() + end, m_lineBreaks);
    for (MarkupToken token = tokens.Next(); token.kind != MarkupToken::End; token = tokens.Next()) {
        if (token.kind == MarkupToken::Text)
            TextRun(dc, token.text, false);
        else
            HandleTag(dc, ParseMarkupTag(token.text));
    }
    NewLine(1);
    SIZE size = {0, m_pen.y - rect.top};
    // A rule given in percent takes that share of the widest line.
    const int widest = m_widest;
    for (size_t i = firstLine; i < m_lineIndex && i < m_lines.size(); ++i) {
        if (m_lines[i].percent)
            m_widest = std::max(m_widest, m_lines[i].width + MulDiv(widest, m_lines[i].percent, 100));
    }
    size.cx = m_widest;
    return size;
}

// ---------------------------------------------------------------- lines

CMarkupTextDrawer::LineRecord CMarkupTextDrawer::CurrentLine() const
{
    if (m_lineIndex < m_lines.size())
        return m_lines[m_lineIndex];
    LineRecord none = {0, m_tm.tmHeight, 0, 0, mhaLeft};
    return none;
}

void CMarkupTextDrawer::StartLine()
{
    m_lineHeight = m_lineDescent = m_linePercent = 0;
    m_pen.x = m_rect.left;
    if (m_measuring) {
        m_lineAlign = Style().hAlign;
        return;
    }
    const LineRecord line = CurrentLine();
    const int width = line.width + MulDiv(m_rect.right - m_rect.left, line.percent, 100);
    if (line.align == mhaCenter)
        m_pen.x = m_rect.left + (m_rect.right - m_rect.left - width) / 2;
    else if (line.align == mhaRight)
        m_pen.x = m_rect.right - width;
}

void CMarkupTextDrawer::NewLine(int count)
{
    if (m_measuring) {
        if (m_lineHeight == 0)
            m_lineHeight = m_tm.tmHeight;
        m_lineHeight += m_lineDescent;
        LineRecord line = {m_pen.x - m_rect.left, m_lineHeight, m_lineDescent, m_linePercent, m_lineAlign};
        if (m_lineIndex == m_lines.size())
            m_lines.push_back(line);
        m_widest = std::max(m_widest, line.width);
        m_pen.y += line.height * count;
    } else {
        const LineRecord line = CurrentLine();
        m_widest = std::max(m_widest, line.width);
        m_pen.y += line.height * count;
    }
    ++m_lineIndex;
    StartLine();
}

void CMarkupTextDrawer::Tab(int count)
{
    const int offset = m_pen.x - m_rect.left;
    if (offset % TabStop != 0) {
        m_pen.x = m_rect.left + (FloorDiv(offset, TabStop) + 1) * TabStop;
        --count;
    }
    m_pen.x += count * TabStop;
}

void CMarkupTextDrawer::RaiseLine(int ascent, int descent)
{
    m_lineHeight = std::max(m_lineHeight, ascent);
    m_lineDescent = std::max(m_lineDescent, descent);
}

int CMarkupTextDrawer::LineTopOffset(int height, bool image) const
{
    const LineRecord line = CurrentLine();
    switch (Style().vAlign) {
    case mvaTop:
        return 0;
    case mvaMiddle:
        return (line.height - (image ? height : m_tm.tmHeight)) / 2;
    case mvaBottom:
        return line.height - (image ? height : m_tm.tmAscent);
    default:
        return image ? line.height - line.descent - height : line.height - m_tm.tmAscent - line.descent;
    }
}

void CMarkupTextDrawer::AddHotArea(int x, int y, int width, int height)
{
    if (m_measuring || !m_linkOpen)
        return;
    HotArea area;
    SetRect(&area.rect, x, y, x + width, y + height);
    area.kind = m_linkKind;
    area.link = m_linkText;
    area.index = m_linkCounter;
    m_hotAreas.push_back(area);
}

// ---------------------------------------------------------------- fonts and tags

void CMarkupTextDrawer::MakeFont(HDC dc)
{
    const MarkupStyle& s = Style();
    LOGFONTA lf = m_fontTemplate;
    lf.lfHeight = Clamp(s.fontHeight, -MaxFontHeight, MaxFontHeight);
    lf.lfWeight = Clamp(s.weight, 0, 1000);
    lf.lfItalic = (BYTE)(s.italic != 0);
    lf.lfUnderline = (BYTE)(s.underline != 0);
    lf.lfStrikeOut = (BYTE)(s.strikeOut != 0);
    lstrcpynA(lf.lfFaceName, s.faceName.c_str(), LF_FACESIZE);
    if (HFONT font = CreateFontIndirectA(&lf)) {
        SelectObject(dc, font);
        if (m_font)
            DeleteObject(m_font);
        m_font = font;
    }
    GetTextMetricsA(dc, &m_tm);
    SetBkMode(dc, s.backMode);
    SetTextColor(dc, s.textColour);
    SetBkColor(dc, s.backColour);
}

void CMarkupTextDrawer::HandleTag(HDC dc, const MarkupTag& tag)
{
    const std::string& n = tag.name;
    if (tag.closing) {
        if (n == "a") {
            if (PopStyle("link")) {
                m_linkOpen = false;
                MakeFont(dc);
            }
        } else if (ApplyStyleTag(dc, tag)) {
            MakeFont(dc);
        }
        return;
    }
    if (n == "br")
        NewLine(tag.RepeatCount());
    else if (n == "t")
        Tab(tag.RepeatCount());
    else if (n == "hr")
        Rule(dc, tag.Attributes());
    else if (n == "bmp" || n == "icon" || n == "ilst")
        Image(dc, tag);
    else if (n == "string")
        StringResource(dc, tag.Attributes());
    else if (n == "a")
        Link(dc, tag.Attributes());
    else if (ApplyStyleTag(dc, tag))
        MakeFont(dc);
}

void CMarkupTextDrawer::TextRun(HDC dc, std::string text, bool plain)
{
    if (text.empty())
        return;
    if (!plain && Style().transform != mtrNone) {
        if (Style().transform == mtrUpper) {
            CharUpperBuffA(&text[0], (DWORD)text.size());
        } else {
            CharLowerBuffA(&text[0], (DWORD)text.size());
            if (Style().transform == mtrCapitalize) {
                for (size_t i = 0; i < text.size(); ++i)
                    if ((i == 0 || text[i - 1] == ' ') && text[i] >= 'a' && text[i] <= 'z')
                        text[i] = (char)(text[i] - 'a' + 'A');
            }
        }
    }
    SIZE size = {0, 0};
    GetTextExtentPoint32A(dc, text.data(), (int)text.size(), &size);
    NoteAlignment();
    if (m_measuring) {
        RaiseLine(m_tm.tmAscent, size.cy - m_tm.tmAscent);
    } else {
        const int y = m_pen.y + LineTopOffset(size.cy, false);
        AddHotArea(m_pen.x, y, size.cx, size.cy);
        TextOutA(dc, m_pen.x, y, text.data(), (int)text.size());
        if (!plain && Style().overline) {
            HPEN pen = CreatePen(PS_SOLID, Style().weight >= FW_BOLD ? 2 : 1, Style().textColour);
            HGDIOBJ old = SelectObject(dc, pen);
            MoveToEx(dc, m_pen.x, y, NULL);
            LineTo(dc, m_pen.x + size.cx, y);
            SelectObject(dc, old);
            DeleteObject(pen);
        }
    }
    m_pen.x += size.cx;
}

void CMarkupTextDrawer::Rule(HDC dc, const MarkupAttributes& attributes)
{
    MarkupStyle rule = Style();
    if (const std::string* declarations = FindRule("hr"))
        ParseStyleText(dc, *declarations, rule);
    const std::string* widthText = FindMarkupAttribute(attributes, "width");
    const std::string width = widthText ? *widthText : "100%";
    const std::string* sizeText = FindMarkupAttribute(attributes, "size");
    const int thickness = Clamp(sizeText ? ParseLength(dc, *sizeText, 1, false) : 1, 0, MaxImageSide);
    const std::string* colourText = FindMarkupAttribute(attributes, "color");
    const COLORREF colour = colourText ? ParseColor(*colourText, rule.textColour) : rule.textColour;
    const bool percent = !width.empty() && width[width.size() - 1] == '%';
    const int value = percent ? Clamp(atoi(width.c_str()), 0, 1000) : ParseLength(dc, width, 0, false);

    NoteAlignment();
    if (m_measuring) {
        RaiseLine(thickness + 8, 0);
        if (percent)
            m_linePercent += value;
        else
            m_pen.x += value;
        return;
    }
    const int length = percent ? MulDiv(m_rect.right - m_rect.left, value, 100) : value;
    const int y = m_pen.y + CurrentLine().height / 2;
    CDrawManager::DrawBorderLine(dc, m_pen.x, y, m_pen.x + length, y, colour, CDrawManager::BorderSolid, thickness);
    m_pen.x += length;
}

void CMarkupTextDrawer::Link(HDC dc, const MarkupAttributes& attributes)
{
    ++m_linkCounter;
    if (!PushStyle("link"))
        return;
    m_linkOpen = true;
    m_linkKind = 2;
    m_linkText.clear();
    for (size_t i = 0; i < attributes.size(); ++i) {
        if (attributes[i].first == "href") {
            m_linkKind = 1;
            m_linkText = attributes[i].second;
        } else if (attributes[i].first == "msg") {
            m_linkKind = 2;
            m_linkText = attributes[i].second;
        }
    }
    ApplyRule(dc, m_linkCounter == m_hoveredLink ? "a:hover" : "a:link");
    MakeFont(dc);
}

// ---------------------------------------------------------------- images

HMODULE CMarkupTextDrawer::ResourceModule() const
{
    return m_module ? m_module : GetModuleHandleA(NULL);
}

void CMarkupTextDrawer::PlacePiece(int width, int height, int* x, int* y)
{
    NoteAlignment();
    *x = m_pen.x;
    *y = 0;
    if (m_measuring)
        RaiseLine(height, 0);
    else {
        *y = m_pen.y + LineTopOffset(height, true);
        AddHotArea(*x, *y, width, height);
    }
    m_pen.x += width;
}

bool CMarkupTextDrawer::PlaceImage(const MarkupImageAttributes& image, int ownWidth, int ownHeight, RECT* box,
                                   DWORD* flags)
{
    const int width = Clamp(image.width.Resolve(ownWidth), 0, MaxImageSide);
    const int height = Clamp(image.height.Resolve(ownHeight), 0, MaxImageSide);
    const bool hot = m_linkOpen && m_linkCounter == m_hoveredLink;
    *flags = hot ? image.hotEffects : image.effects;
    // A shadow asked for in either state takes its room in both.
    const bool shadowAsked = ((image.effects | image.hotEffects) & (mieShadow | mieSoftShadow)) && width && height;
    int x, y;
    PlacePiece(width + (shadowAsked ? m_shadowX : 0), height + (shadowAsked ? m_shadowY : 0), &x, &y);
    SetRect(box, x, y, x + width, y + height);
    return !m_measuring && width && height;
}

void CMarkupTextDrawer::PlaceBitmap(HDC dc, HBITMAP bitmap, const MarkupImageAttributes& image, int ownWidth,
                                    int ownHeight)
{
    RECT box;
    DWORD flags;
    if (PlaceImage(image, ownWidth, ownHeight, &box, &flags))
        CDrawManager::DrawBitmapEffects(dc, box.left, box.top, box.right - box.left, box.bottom - box.top, bitmap,
                                        image.masked, image.maskColour, flags,
                                        (flags & (mieShadow | mieSoftShadow)) != 0, m_shadowX, m_shadowY,
                                        m_blurWidth, m_blurHeight, m_shadowColour);
}

void CMarkupTextDrawer::PlaceIcon(HDC dc, HICON icon, const MarkupImageAttributes& image)
{
    const SIZE own = CDrawManager::GetIconSize(icon);
    RECT box;
    DWORD flags;
    if (PlaceImage(image, own.cx, own.cy, &box, &flags))
        CDrawManager::DrawIconEffects(dc, box.left, box.top, box.right - box.left, box.bottom - box.top, icon, flags,
                                      (flags & (mieShadow | mieSoftShadow)) != 0, m_shadowX, m_shadowY, m_blurWidth,
                                      m_blurHeight, m_shadowColour);
}

void CMarkupTextDrawer::Image(HDC dc, const MarkupTag& tag)
{
    MarkupImageAttributes image;
    ParseImageAttributes(dc, tag.Attributes(), image);
    const bool icon = tag.name == "icon";

    if (tag.name == "ilst" && !image.HasSource()) {
        if (!m_imageList || image.index < 0 || image.index >= ImageList_GetImageCount(m_imageList))
            return;
        HICON entry = ImageList_GetIcon(m_imageList, image.index, ILD_NORMAL);
        if (!entry)
            return;
        int cx = 0, cy = 0;
        ImageList_GetIconSize(m_imageList, &cx, &cy);
        // The list's icon size is the entry's own size.
        MarkupImageAttributes sized = image;
        sized.width.value = image.width.Resolve(cx);
        sized.width.percent = false;
        sized.width.given = true;
        sized.height.value = image.height.Resolve(cy);
        sized.height.percent = false;
        sized.height.given = true;
        PlaceIcon(dc, entry, sized);
        DestroyIcon(entry);
        return;
    }

    // The source, in this order: a resource id, a file, a handle. A
    // resource that is missing (or an id that is none) leaves the image
    // out.
    HANDLE loaded = NULL;
    HANDLE handle = NULL;
    const UINT type = icon ? IMAGE_ICON : IMAGE_BITMAP;
    const int cx = icon ? image.cx : 0, cy = icon ? image.cy : 0;
    if (image.resourceId != MarkupImageAttributes::NoResource) {
        if (IsResourceId(image.resourceId))
            handle = loaded =
                LoadImageA(ResourceModule(), MAKEINTRESOURCEA(image.resourceId), type, cx, cy, 0);
    } else if (image.hasFile) {
        handle = loaded = LoadImageA(NULL, image.file.c_str(), type, cx, cy,
                                     LR_LOADFROMFILE | (icon ? 0 : LR_DEFAULTSIZE | LR_CREATEDIBSECTION));
    } else if (image.hasHandle) {
        handle = image.handle;
    }
    if (!handle)
        return;

    if (icon) {
        PlaceIcon(dc, (HICON)handle, image);
    } else if (tag.name == "bmp") {
        const SIZE own = CDrawManager::GetBitmapSize((HBITMAP)handle);
        PlaceBitmap(dc, (HBITMAP)handle, image, own.cx, own.cy);
    } else {
        // One cell of a bitmap cut into cx x cy cells, row by row.
        const SIZE own = CDrawManager::GetBitmapSize((HBITMAP)handle);
        const int columns = image.cx > 0 ? own.cx / image.cx : 0;
        const int rows = image.cy > 0 ? own.cy / image.cy : 0;
        if (columns > 0 && rows > 0 && image.index >= 0 && image.index < columns * rows) {
            HDC source = CreateCompatibleDC(dc);
            HDC target = CreateCompatibleDC(dc);
            HBITMAP cell = CreateCompatibleBitmap(dc, image.cx, image.cy);
            HGDIOBJ oldSource = SelectObject(source, handle);
            HGDIOBJ oldTarget = SelectObject(target, cell);
            BitBlt(target, 0, 0, image.cx, image.cy, source, (image.index % columns) * image.cx,
                   (image.index / columns) * image.cy, SRCCOPY);
            SelectObject(source, oldSource);
            SelectObject(target, oldTarget);
            DeleteDC(source);
            DeleteDC(target);
            PlaceBitmap(dc, cell, image, image.cx, image.cy);
            DeleteObject(cell);
        }
    }
    if (loaded) {
        if (icon)
            DestroyIcon((HICON)loaded);
        else
            DeleteObject(loaded);
    }
}

// ---------------------------------------------------------------- strings

std::string CMarkupTextDrawer::LoadResourceString(int id) const
{
    if (!IsResourceId(id))
        return std::string();
    HMODULE module = ResourceModule();
    HRSRC block = FindResourceA(module, MAKEINTRESOURCEA(id / 16 + 1), (LPCSTR)RT_STRING);
    if (!block)
        return std::string();
    std::vector<char> buffer(SizeofResource(module, block) + 1);
    const int length = LoadStringA(module, (UINT)id, &buffer[0], (int)buffer.size());
    return length > 0 ? std::string(&buffer[0], length) : std::string();
}

void CMarkupTextDrawer::StringResource(HDC dc, const MarkupAttributes& attributes)
{
    const std::string* id = FindMarkupAttribute(attributes, "idres");
    if (!id)
        id = FindMarkupAttribute(attributes, "iddll");
    if (!id)
        return;
    TextRun(dc, LoadResourceString(ParseLength(dc, *id, 0, false)), true);
}

std::string CMarkupTextDrawer::GetResourceStringLine(UINT id, int lineIndex) const
{
    const std::string text = LoadResourceString(id > 0xFFFF ? 0 : (int)id);
    size_t start = 0;
    for (int line = 0; line < lineIndex; ++line) {
        const size_t feed = text.find('\n', start);
        if (feed == std::string::npos)
            return std::string();
        start = feed + 1;
    }
    if (start >= text.size() && lineIndex > 0)
        return std::string();
    const size_t feed = text.find('\n', start);
    return text.substr(start, feed == std::string::npos ? std::string::npos : feed - start);
}
