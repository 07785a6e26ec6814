#pragma once
// ToUtf8Html for the framework's strings: the ANSI text becomes UTF-8 with
// " & ' < > written as entities (no byte-order mark), ready for
// CHtmlElement::SetHtml. CUtf8Stream (platform/html/utf8stream.h) is the
// buffer behind it.

#include "platform/html/utf8stream.h"
#include "platform/mfc/cstring.h"

void ToUtf8Html(CString& text);
