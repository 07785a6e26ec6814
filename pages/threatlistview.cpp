#include "pages/threatlistview.h"

#include "pages/threatnode.h"
#include "platform/atl/atlbase.h"
#include "platform/html/htmldocument.h"
#include "platform/html/htmlnode.h"

#include <vector>

namespace {

const char kListStart[] = "<table cellspacing=\"0\" cellpadding=\"2\" border=\"0\">\n";
const int kCharsPerNode = 2048;

// A script value as a condition: script's truthiness for the kinds a call
// can pass.
bool IsTrue(const CHtmlScriptValue& value)
{
    switch (value.kind())
    {
    case CHtmlScriptValue::Bool:
    case CHtmlScriptValue::Number: return value.ToNumber() != 0;
    case CHtmlScriptValue::String: return !value.ToString().empty();
    case CHtmlScriptValue::Element: return value.ToElement() != nullptr;
    default: return false;
    }
}

// A check box is its picture: checked unless the picture is "unchecked.gif".
bool CheckboxIsChecked(CHtmlNode* image)
{
    const std::wstring* source = image ? image->Attribute("src") : nullptr;
    return source && source->find(L"unchecked") == std::wstring::npos;
}

void SetCheckboxValue(CHtmlDocument* document, CHtmlNode* image, bool value)
{
    if (image)
        document->SetAttribute(image, "src", value ? L"checked.gif" : L"unchecked.gif");
}

bool IsHidden(CHtmlNode* element)
{
    return element && element->style.display == CssDisplay::None;
}

// The first item's Known flag; a threat without items is not known.
bool FirstItemKnown(IThreat* threat)
{
    LONG count = 0;
    CheckHResult(threat->get_Count(&count));
    if (count <= 0)
        return false;
    CComPtr<ISearchItem> first;
    CheckHResult(threat->get_Item(0, &first));
    LONG known = 0;
    if (first)
        CheckHResult(first->get_Known(&known));
    return known != 0;
}

bool HoldsUnknownItem(IThreat* threat)
{
    LONG count = 0;
    CheckHResult(threat->get_Count(&count));
    for (LONG j = 0; j < count; ++j)
    {
        CComPtr<ISearchItem> item;
        CheckHResult(threat->get_Item(j, &item));
        if (!item)
            continue;
        LONG known = 0;
        LONG ignore = 0;
        CheckHResult(item->get_Known(&known));
        CheckHResult(item->get_Ignore(&ignore));
        if (!known && !ignore)
            return true;
    }
    return false;
}

}  // namespace

CThreatListView::CThreatListView(UINT templateId, UINT htmlResourceId, CWnd* parent)
    : CHtmlDialogBase(templateId, htmlResourceId, parent), m_bHasUnknownItem(0)
{
    // Without DOCHOSTUIFLAG_SCROLL_NO: a long list scrolls.
    m_dwDialogHostFlags = DOCHOSTUIFLAG_DIALOG | DOCHOSTUIFLAG_NO3DBORDER;
    RegisterPageFunctions();
}

CThreatListView::~CThreatListView() = default;

void CThreatListView::RegisterPageFunctions()
{
    RegisterScriptFunction(L"ToggleLayerVisibility", [](CHtmlScriptCall& c) {
        CHtmlNode* block = c.document->GetElementById(c.Arg(1).ToString());
        if (!block)
            return;
        const bool show = IsHidden(block);
        c.document->SetStyleProperty(block, "display", show ? L"block" : L"none");
        if (CHtmlNode* image = c.Arg(0).ToElement())
            c.document->SetAttribute(image, "src", show ? L"minus.gif" : L"plus.gif");
    });
    RegisterScriptFunction(L"GetCheckBoxState", [](CHtmlScriptCall& c) {
        CHtmlNode* image = c.document->GetElementById(c.Arg(0).ToString());
        c.result = CHtmlScriptValue::FromBool(image && CheckboxIsChecked(image));
    });
    RegisterScriptFunction(L"ToggleCheckbox", [](CHtmlScriptCall& c) {
        if (CHtmlNode* image = c.Arg(0).ToElement())
            SetCheckboxValue(c.document, image, !CheckboxIsChecked(image));
    });
    RegisterScriptFunction(L"SetCheckboxValue", [](CHtmlScriptCall& c) {
        SetCheckboxValue(c.document, c.Arg(0).ToElement(), IsTrue(c.Arg(1)));
    });
    RegisterScriptFunction(L"CheckboxIsChecked", [](CHtmlScriptCall& c) {
        c.result = CHtmlScriptValue::FromBool(CheckboxIsChecked(c.Arg(0).ToElement()));
    });
    RegisterScriptFunction(L"RemoveThreat", [](CHtmlScriptCall& c) {
        const std::wstring id = c.Arg(0).ToString();
        for (const wchar_t* prefix : {L"threat", L"details"})
            if (CHtmlNode* element = c.document->GetElementById(prefix + id))
                c.document->SetStyleProperty(element, "display", L"none");
        SetCheckboxValue(c.document, c.document->GetElementById(L"checkbox" + id), false);
    });
    RegisterScriptFunction(L"SetAllCheckboxState", [](CHtmlScriptCall& c) {
        const bool value = c.Arg(0).ToInt() != 0;
        std::vector<CHtmlNode*> boxes;
        c.document->Select(c.document->Root(), L"img.checkbox", [&](CHtmlNode* image) {
            boxes.push_back(image);
            return false;
        });
        // A removed (hidden) threat stays unchecked: Select All must not
        // bring back into a clean what the user has just set aside.
        for (CHtmlNode* image : boxes)
        {
            const std::wstring* id = image->Attribute("id");
            const bool removed = id && id->compare(0, 8, L"checkbox") == 0 &&
                                 IsHidden(c.document->GetElementById(L"threat" + id->substr(8)));
            if (!removed)
                SetCheckboxValue(c.document, image, value);
        }
    });
}

BOOL CThreatListView::OnInitDialog()
{
    return CHtmlDialogBase::OnInitDialog();
}

void CThreatListView::DoDataExchange(CDataExchange* pDX)
{
    CHtmlDialogBase::DoDataExchange(pDX);
    DDX_DHtml_ElementInnerHtml(pDX, "content", m_strHtml);
}

void CThreatListView::OnDocumentComplete(LPDISPATCH pDisp, LPCSTR szUrl)
{
    CHtmlDialogBase::OnDocumentComplete(pDisp, szUrl);
    m_script.SetDocument(pDisp);
    UpdateData(FALSE);
}

void CThreatListView::BuildHtml(IThreatCollection* threats, BOOL updateData, int mode)
{
    if (!threats)
        return;
    LONG count = 0;
    threats->get_Count(&count);
    std::vector<CComPtr<IThreat>> known, unknown;
    known.reserve(count > 0 ? count : 0);
    bool hasUnknownItem = false;
    for (LONG i = 0; i < count; ++i)
    {
        CComPtr<IThreat> threat;
        threats->get_Item(i, &threat);
        if (!threat)
            continue;
        (FirstItemKnown(threat) ? known : unknown).push_back(threat);
        hasUnknownItem = hasUnknownItem || HoldsUnknownItem(threat);
    }

    CString html;
    html.GetBuffer(static_cast<int>(known.size() + unknown.size()) * kCharsPerNode + kCharsPerNode);
    html.ReleaseBuffer(0);
    html = kListStart;
    CString scratch;
    scratch.GetBuffer(kCharsPerNode);
    const BOOL collapsed = mode == 1;
    for (const auto* group : {&known, &unknown})
        for (const CComPtr<IThreat>& threat : *group)
        {
            CThreatNode node(threat, collapsed, group == &known);
            node.Render(scratch);
            html += "<tr><td>";
            html += scratch;
            html += "</td></tr>";
        }
    html += "</table>";

    m_strHtml = html;
    m_bHasUnknownItem = hasUnknownItem ? 1 : 0;
    if (updateData)
        UpdateData(FALSE);
}

int CThreatListView::GetCheckBoxState(int threatId)
{
    CString id;
    id.Format("checkbox%d", threatId);
    VARIANT result;
    ::VariantInit(&result);
    if (!m_script.CallScript("GetCheckBoxState", id, &result))
        return -1;
    const int state = V_VT(&result) == VT_BOOL && V_BOOL(&result) == VARIANT_TRUE ? 1 : 0;
    ::VariantClear(&result);
    return state;
}

BOOL CThreatListView::RemoveThreat(int threatId)
{
    CString id;
    id.Format("%d", threatId);
    return m_script.CallScript("RemoveThreat", id) ? TRUE : FALSE;
}

void CThreatListView::SetAllCheckboxState(BOOL check)
{
    m_script.CallScript("SetAllCheckboxState", check ? "1" : "0");
}

void CThreatListView::Clear()
{
    m_strHtml.Empty();
    m_bHasUnknownItem = 0;
    UpdateData(FALSE);
}
