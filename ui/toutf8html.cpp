#include "ui/toutf8html.h"

#include <string>

void ToUtf8Html(CString& text)
{
    std::string bytes(text.GetString(), static_cast<size_t>(text.GetLength()));
    ToUtf8Html(bytes);
    text = CString(bytes.c_str(), static_cast<int>(bytes.size()));
}
