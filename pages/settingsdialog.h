#pragma once
// The settings page: the language of the user interface, starting with
// Windows (the current user's Run value), news downloads and a scan after
// each definitions update. The controls show the settings when the page is
// made; nothing is written before Apply, which saves "app_settings.xml"
// whole and switches the language at once for every page.

#include "ui/dialogcontrolhelper.h"
#include "ui/tooltipdialogex.h"

class CSettingsDialog : public CToolTipDialogEx, public CDialogControlHelper
{
    DECLARE_DYNAMIC(CSettingsDialog)

public:
    // The value under the current user's Run key that starts the program
    // with Windows, and its arguments (a quick scan at start-up).
    static const char kAutoRunName[];
    static const char kAutoRunArguments[];

    explicit CSettingsDialog(CWnd* pParent);
    ~CSettingsDialog() override;

    // Keeps the rectangle (the parent's client coordinates) and creates the
    // page modeless in it.
    BOOL CreatePage(int left, int top, int right, int bottom) override;
    BOOL OnInitDialog() override;
    // Enter and Escape do nothing here.
    BOOL PreTranslateMessage(MSG* pMsg) override;
    // The captions (section "SettingsDialog").
    void LoadTexts() override;
    // The page fills its rectangle.
    void UpdateLayout() override;

protected:
    afx_msg void OnBnClickedApply();
    afx_msg void OnSettingChanged();

    DECLARE_MESSAGE_MAP()

private:
    // The language files of the program's "lang" folder, by name.
    void FillLanguageList();
    // Selects the stored language and sets the boxes; the start-with-Windows
    // box follows the Run value, not the file.
    void LoadSettings();
    void SelectLanguage(const CString& language);
    // The selected entry's text; empty when nothing is selected.
    CString GetSelectedLanguage() const;
    // Switches the localizer and every page; false when the language's file
    // cannot be read (the current language stays).
    bool SwitchLanguage(const CString& language);
    void ShowError(const char* key);

    CRect m_rcPage;
};
