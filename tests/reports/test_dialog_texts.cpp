// Every text the crash-report and help-request dialogs ask for is in the
// built English language file.

#include "foundation/languagekey.h"
#include "foundation/localizer.h"
#include "foundation/syshelpers.h"

#include <gtest/gtest.h>

#include <string>

TEST(DialogTexts, TheEnglishFileHoldsEveryKeyOfBothDialogs)
{
    const std::string temp = static_cast<LPCSTR>(CreateTempFileName("cwt"));
    CMapStringToString macros;
    macros.SetAt("{BR}", "\n");
    macros.SetAt("{APPNAME}", "Telmin Cleanwarden");
    macros.SetAt("{VER}", "2.1.153");
    CLocalizer::Configure(LOCALIZER_KEY_TEXT, macros, temp.c_str(), GetModuleFolder() + "Lang");
    CLocalizer* localizer = CLocalizer::Instance();
    ASSERT_TRUE(localizer->SetLocale("English"));

    const struct
    {
        const char* section;
        const char* keys[9];
    } dialogs[] = {
        {"ExceptionDialog",
         {"title", "topText", "reportHeader", "emailLbl", "btSendReport", "btCancel", "cannotSendInfo", "thanksMessage"}},
        {"SendReportDialog",
         {"mailEdit", "editSubj", "editDesc", "sendingEdit", "sendButton", "cancelButton", "errorSending", "endSending",
          "endSendingError"}},
    };
    for (const auto& dialog : dialogs)
    {
        for (const char* key : dialog.keys)
        {
            if (!key)
                continue;
            const CString text = localizer->GetString(dialog.section, key);
            EXPECT_FALSE(text.IsEmpty()) << dialog.section << "." << key;
            EXPECT_EQ(-1, text.Find('{')) << dialog.section << "." << key << ": " << text.GetString();
        }
    }
    EXPECT_STREQ("Telmin Cleanwarden - Problem Report", localizer->GetString("ExceptionDialog", "title"));
    CLocalizer::DeleteInstance();
    DeleteFileA((std::string(static_cast<LPCSTR>(GetTempFolder())) + temp).c_str());
}
