#pragma once
// The threat list page's script functions, implemented natively the way the
// page that shows the list registers them; shared by the tests and the viewer.

#include "platform/html/htmldocument.h"
#include "platform/html/htmlnode.h"
#include "platform/html/htmlscript.h"

inline bool ThreatListCheckboxIsChecked(CHtmlNode* img)
{
    const std::wstring* src = img ? img->Attribute("src") : nullptr;
    return src && src->find(L"unchecked") == std::wstring::npos;
}

inline void ThreatListSetCheckbox(CHtmlDocument* doc, CHtmlNode* img, bool value)
{
    if (img)
        doc->SetAttribute(img, "src", value ? L"checked.gif" : L"unchecked.gif");
}

inline void RegisterThreatListFunctions(CHtmlScriptHost& script)
{
    script.Register(L"ToggleLayerVisibility", [](CHtmlScriptCall& c) {
        CHtmlNode* div = c.document->GetElementById(c.Arg(1).ToString());
        CHtmlNode* img = c.Arg(0).ToElement();
        if (!div)
            return;
        bool show = div->style.display == CssDisplay::None;
        c.document->SetStyleProperty(div, "display", show ? L"block" : L"none");
        if (img)
            c.document->SetAttribute(img, "src", show ? L"minus.gif" : L"plus.gif");
    });
    script.Register(L"GetCheckBoxState", [](CHtmlScriptCall& c) {
        CHtmlNode* img = c.document->GetElementById(c.Arg(0).ToString());
        c.result = CHtmlScriptValue::FromBool(img && ThreatListCheckboxIsChecked(img));
    });
    script.Register(L"ToggleCheckbox", [](CHtmlScriptCall& c) {
        CHtmlNode* img = c.Arg(0).ToElement();
        ThreatListSetCheckbox(c.document, img, !ThreatListCheckboxIsChecked(img));
    });
    script.Register(L"RemoveThreat", [](CHtmlScriptCall& c) {
        std::wstring id = c.Arg(0).ToString();
        for (const wchar_t* prefix : {L"threat", L"details"})
            if (CHtmlNode* e = c.document->GetElementById(prefix + id))
                c.document->SetStyleProperty(e, "display", L"none");
        ThreatListSetCheckbox(c.document, c.document->GetElementById(L"checkbox" + id), false);
    });
    script.Register(L"SetAllCheckboxState", [](CHtmlScriptCall& c) {
        bool value = c.Arg(0).ToInt() != 0;
        std::vector<CHtmlNode*> boxes;
        c.document->Select(c.document->Root(), L"img.checkbox", [&](CHtmlNode* e) {
            boxes.push_back(e);
            return false;
        });
        for (CHtmlNode* e : boxes)
            ThreatListSetCheckbox(c.document, e, value);
    });
}
