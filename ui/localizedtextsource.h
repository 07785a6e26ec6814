#pragma once
// The texts of one dialog: its section of the current language file.

#include "platform/mfc/cstring.h"

class CLocalizedTextSource
{
public:
    explicit CLocalizedTextSource(CString sectionName);
    virtual ~CLocalizedTextSource();

    // Fetches the dialog's texts and puts them into its controls.
    virtual void LoadTexts() = 0;

    // The text of the key in the section; empty when either is missing (or
    // when there is no localizer to ask).
    CString GetText(const CString& key) const;
    const CString& GetSectionName() const { return m_sectionName; }

protected:
    CString m_sectionName;
};
