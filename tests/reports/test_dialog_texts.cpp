// Every text the crash-report and help-request dialogs ask for is in the
// built English language file.

#include "tests/reports/english_texts.h"

#include <gtest/gtest.h>

TEST(DialogTexts, TheEnglishFileHoldsEveryKeyOfBothDialogs)
{
    EnglishTexts english;
    ASSERT_TRUE(english.IsReady());
    CLocalizer* localizer = CLocalizer::Instance();

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
}
