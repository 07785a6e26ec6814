#include "pages/settingsdialog.h"

#include <algorithm>
#include <vector>

#include "app/appmessages.h"
#include "foundation/appsettings.h"
#include "foundation/localizer.h"
#include "foundation/syshelpers.h"
#include "pages/pagekeys.h"
#include "pages/pagelayout.h"
#include "resources/pages/settingsids.h"

IMPLEMENT_DYNAMIC(CSettingsDialog, CToolTipDialogEx)

BEGIN_MESSAGE_MAP(CSettingsDialog, CToolTipDialogEx)
    ON_BN_CLICKED(IDC_SETTINGS_APPLY, OnBnClickedApply)
    ON_BN_CLICKED(IDC_SETTINGS_AUTORUN, OnSettingChanged)
    ON_BN_CLICKED(IDC_SETTINGS_NEWS, OnSettingChanged)
    ON_BN_CLICKED(IDC_SETTINGS_AUTOSCAN, OnSettingChanged)
    ON_CONTROL(CBN_SELCHANGE, IDC_SETTINGS_LANGUAGE, OnSettingChanged)
END_MESSAGE_MAP()

const char CSettingsDialog::kAutoRunName[] = "Telmin Cleanwarden";
const char CSettingsDialog::kAutoRunArguments[] = "/s";

namespace {

const char kSettingsFileName[] = "app_settings.xml";

// Control, skin object; in the order they are skinned.
const struct
{
    UINT id;
    const char* skin;
} kSkins[] = {
    {IDC_SETTINGS_FRAME, "BackGround"},        {IDC_SETTINGS_LANGUAGE_LABEL, "StaticBackground"},
    {IDC_SETTINGS_AUTORUN, "SettingsCheckBox"}, {IDC_SETTINGS_NEWS, "SettingsCheckBox"},
    {IDC_SETTINGS_AUTOSCAN, "SettingsCheckBox"},
};

} // namespace

CSettingsDialog::CSettingsDialog(CWnd* pParent)
    : CToolTipDialogEx("SettingsDialog", pParent, IDD_SETTINGS_DIALOG), CDialogControlHelper(this)
{
}

CSettingsDialog::~CSettingsDialog() = default;

BOOL CSettingsDialog::CreatePage(int left, int top, int right, int bottom)
{
    m_rcPage.SetRect(left, top, right, bottom);
    return Create(IDD_SETTINGS_DIALOG, m_pParentWnd);
}

void CSettingsDialog::UpdateLayout()
{
    PlacePageAt(*this, m_rcPage);
}

BOOL CSettingsDialog::OnInitDialog()
{
    if (!CToolTipDialogEx::OnInitDialog())
        return FALSE;
    LoadTexts();
    UpdateLayout();
    for (const auto& skin : kSkins)
        SetControlSkin(skin.id, skin.skin, "Dialog");
    FillLanguageList();
    LoadSettings();
    EnableControl(IDC_SETTINGS_APPLY, FALSE);
    return TRUE;
}

BOOL CSettingsDialog::PreTranslateMessage(MSG* pMsg)
{
    IgnoreEnterAndEscape(pMsg);
    return CToolTipDialogEx::PreTranslateMessage(pMsg);
}

void CSettingsDialog::LoadTexts()
{
    SetControlText(IDC_SETTINGS_LANGUAGE_LABEL, GetText("selectLangLbl"));
    SetControlText(IDC_SETTINGS_AUTORUN, GetText("autoRunScanCheck"));
    SetControlText(IDC_SETTINGS_NEWS, GetText("downloadNews"));
    SetControlText(IDC_SETTINGS_AUTOSCAN, GetText("autoScan"));
    SetControlText(IDC_SETTINGS_APPLY, GetText("applyBt"));
}

void CSettingsDialog::FillLanguageList()
{
    CStringArray files;
    ListFiles(files, GetModuleFolder() + "lang" + "\\*.ini", TRUE);
    // By name, as a user looks for them (the folder's own order is the
    // file system's).
    std::vector<CString> names;
    for (INT_PTR i = 0; i < files.GetSize(); ++i)
        names.push_back(files[i]);
    std::sort(names.begin(), names.end(),
              [](const CString& a, const CString& b) { return a.CompareNoCase(b) < 0; });
    CWnd* list = GetDlgItem(IDC_SETTINGS_LANGUAGE);
    list->SendMessage(CB_RESETCONTENT);
    for (const CString& name : names)
        list->SendMessage(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.GetString()));
}

void CSettingsDialog::LoadSettings()
{
    CAppSettings* settings = CAppSettings::Instance();
    SelectLanguage(settings->GetLanguage().c_str());
    settings->SetAutoRunScan(IsAutoRun(kAutoRunName));
    SetCheck(IDC_SETTINGS_AUTORUN, settings->GetAutoRunScan());
    SetCheck(IDC_SETTINGS_NEWS, settings->GetDownloadNews());
    SetCheck(IDC_SETTINGS_AUTOSCAN, settings->GetAutoScan());
}

void CSettingsDialog::SelectLanguage(const CString& language)
{
    // The whole name: "English" must not pick "English (UK)". No match
    // leaves nothing selected.
    CWnd* list = GetDlgItem(IDC_SETTINGS_LANGUAGE);
    const LRESULT index =
        list->SendMessage(CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(language.GetString()));
    list->SendMessage(CB_SETCURSEL, index == CB_ERR ? static_cast<WPARAM>(-1) : static_cast<WPARAM>(index));
}

CString CSettingsDialog::GetSelectedLanguage() const
{
    const LRESULT index = GetDlgItem(IDC_SETTINGS_LANGUAGE)->SendMessage(CB_GETCURSEL);
    return index == CB_ERR ? CString() : GetComboText(IDC_SETTINGS_LANGUAGE, static_cast<int>(index));
}

bool CSettingsDialog::SwitchLanguage(const CString& language)
{
    if (!CLocalizer::Instance()->SetLocale(language))
        return false;
    CAppSettings::Instance()->SetLanguage(language.GetString());
    // Sent, not posted: every page, this one included, speaks the new
    // language before Apply goes on.
    if (CWnd* parent = GetParent())
        parent->SendMessage(WM_RELOAD_TEXTS, 0, 0);
    return true;
}

void CSettingsDialog::OnBnClickedApply()
{
    CAppSettings* settings = CAppSettings::Instance();
    // Nothing selected (no language file, or a stored language that no
    // file matches): the language stays and the rest is applied.
    const CString language = GetSelectedLanguage();
    if (!language.IsEmpty() && language.CompareNoCase(settings->GetLanguage().c_str()) != 0 &&
        !SwitchLanguage(language))
    {
        ShowError("languageError");
        SelectLanguage(settings->GetLanguage().c_str());
    }

    const bool autoRun = IsChecked(IDC_SETTINGS_AUTORUN) != FALSE;
    settings->SetAutoRunScan(autoRun);
    if (autoRun)
        SetAutoRun(kAutoRunName, kAutoRunArguments);
    else
        RemoveAutoRun(kAutoRunName);
    settings->SetHideToTrayOnClose(true);
    settings->SetDownloadNews(IsChecked(IDC_SETTINGS_NEWS) != FALSE);
    settings->SetAutoScan(IsChecked(IDC_SETTINGS_AUTOSCAN) != FALSE);

    const bool saved = settings->Save(std::string(GetProductDataFolder() + kSettingsFileName));
    if (!saved || IsAutoRun(kAutoRunName) != autoRun)
    {
        // Apply stays available for another try.
        ShowError("saveError");
        return;
    }
    EnableControl(IDC_SETTINGS_APPLY, FALSE);
}

void CSettingsDialog::OnSettingChanged()
{
    EnableControl(IDC_SETTINGS_APPLY, TRUE);
}

void CSettingsDialog::ShowError(const char* key)
{
    AfxShowMessageBox(m_hWnd, GetText(key), "Error", MB_ICONERROR | MB_OK);
}
