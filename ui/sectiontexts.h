#pragma once
// The texts of one language-file section for code that is not that
// section's dialog (a menu, a message, another dialog's note).

#include "ui/localizedtextsource.h"

class CSectionTexts : public CLocalizedTextSource
{
public:
    explicit CSectionTexts(const char* section) : CLocalizedTextSource(section) {}
    void LoadTexts() override {}
};
