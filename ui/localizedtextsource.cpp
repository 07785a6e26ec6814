#include "ui/localizedtextsource.h"

#include "foundation/localizer.h"

CLocalizedTextSource::CLocalizedTextSource(CString sectionName) : m_sectionName(sectionName)
{
}

CLocalizedTextSource::~CLocalizedTextSource() = default;

CString CLocalizedTextSource::GetText(const CString& key) const
{
    return CLocalizer::Instance()->GetString(m_sectionName, key);
}
