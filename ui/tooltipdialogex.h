#pragma once
// A tooltip dialog with the name of its section in the language file.

#include "ui/localizedtextsource.h"
#include "ui/tooltipdialog.h"

class CToolTipDialogEx : public CToolTipDialog, public CLocalizedTextSource
{
    DECLARE_DYNAMIC(CToolTipDialogEx)

public:
    CToolTipDialogEx(CString sectionName, CWnd* pParent, UINT nIDTemplate);
    ~CToolTipDialogEx() override;
};
