#include "ui/localizedtextsource.h"

#include "foundation/debuglog.h"
#include "foundation/localizer.h"

CLocalizedTextSource::CLocalizedTextSource(CString sectionName) : m_sectionName(sectionName)
{
}

CLocalizedTextSource::~CLocalizedTextSource() = default;

CString CLocalizedTextSource::GetText(const CString& key) const
{
    try
    {
        return CLocalizer::Instance()->GetString(m_sectionName, key);
    }
    catch (CLocalizerException* e)
    {
        // No localizer (it was never configured): the text is missing, and
        // the dialog goes on with the texts of its template.
        DebugLog("Message: %s\nFunction: %s", e->m_message.c_str(), "CLocalizedTextSource::GetText");
        e->Delete();
        return CString();
    }
}
