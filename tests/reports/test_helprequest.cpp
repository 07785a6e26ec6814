// The help-request form's logic: the address check, its states, and a
// sending thread that outlives the form.

#include "reports/helprequest.h"
#include "tests/reports/gated_send.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>

TEST(HelpRequestAddress, NeedsAnAtSignAndADotAfterTheFirstCharacter)
{
    EXPECT_TRUE(CHelpRequest::IsAddressAccepted("name@host.org"));
    EXPECT_TRUE(CHelpRequest::IsAddressAccepted("first.last@host"));  // the only dot before the at sign
    EXPECT_TRUE(CHelpRequest::IsAddressAccepted("a@b.c"));
    EXPECT_FALSE(CHelpRequest::IsAddressAccepted("@host.org"));
    EXPECT_FALSE(CHelpRequest::IsAddressAccepted(".name@host"));
    EXPECT_FALSE(CHelpRequest::IsAddressAccepted("name.host.org"));
    EXPECT_FALSE(CHelpRequest::IsAddressAccepted("name@host"));
    EXPECT_FALSE(CHelpRequest::IsAddressAccepted(""));
    EXPECT_FALSE(CHelpRequest::IsAddressAccepted(NULL));
}

TEST(HelpRequest, SendsOnceOnItsOwnThreadAndReportsTheOutcome)
{
    GatedSend gate;
    CHelpRequest request(gate.Function(false));
    EXPECT_EQ(CHelpRequest::Editing, request.GetState());
    EXPECT_EQ(CHelpRequest::EnterSends, request.GetEnterAction());
    EXPECT_TRUE(request.CanClose());

    EXPECT_FALSE(request.Start("@bad", "s", "d", nullptr));
    EXPECT_EQ(CHelpRequest::Editing, request.GetState());

    std::atomic<int> notices{0};
    std::atomic<bool> outcome{true};
    DWORD noticeThread = 0;
    ASSERT_TRUE(request.Start("me@host.org", "Subject", "Desc \xE9", [&](bool sent) {
        outcome = sent;
        noticeThread = GetCurrentThreadId();
        ++notices;
    }));
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(gate.started, 10000));
    EXPECT_EQ("me@host.org|Subject|Desc \xE9", gate.seen);
    EXPECT_EQ(CHelpRequest::Sending, request.GetState());
    EXPECT_EQ(CHelpRequest::EnterDoesNothing, request.GetEnterAction());
    EXPECT_FALSE(request.CanClose());
    EXPECT_FALSE(request.Start("me@host.org", "again", "", nullptr));

    SetEvent(gate.release);
    ASSERT_TRUE(request.WaitForThread(10000));
    EXPECT_EQ(1, notices.load());
    EXPECT_FALSE(outcome.load());
    EXPECT_NE(GetCurrentThreadId(), noticeThread);
    EXPECT_EQ(CHelpRequest::Done, request.GetState());
    EXPECT_FALSE(request.GetResult());
    EXPECT_EQ(CHelpRequest::EnterCloses, request.GetEnterAction());
    EXPECT_TRUE(request.CanClose());
    // Send stays disabled after a failed send.
    EXPECT_FALSE(request.Start("me@host.org", "again", "", nullptr));
    EXPECT_STREQ("Subject", request.GetSubject());
}

TEST(HelpRequest, AFormDestroyedWhileSendingIsNeverToldTheOutcome)
{
    GatedSend gate;
    std::atomic<int> notices{0};
    {
        CHelpRequest request(gate.Function(true));
        ASSERT_TRUE(request.Start("me@host.org", "", "", [&](bool) { ++notices; }));
        ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(gate.started, 10000));
        // The destructor runs while the send is still under way ...
    }
    // ... and returns without waiting for it.
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(gate.finished, 0));
    SetEvent(gate.release);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(gate.finished, 10000));
    Sleep(200);  // room for a notice that must not come
    EXPECT_EQ(0, notices.load());
}

TEST(HelpRequest, AThrowingSendEndsAsAFailure)
{
    CHelpRequest request([](const std::string&, const std::string&, const std::string&) -> bool {
        throw std::runtime_error("boom");
    });
    std::atomic<int> notices{0};
    ASSERT_TRUE(request.Start("me@host.org", "", "", [&](bool sent) { notices += sent ? 10 : 1; }));
    ASSERT_TRUE(request.WaitForThread(10000));
    EXPECT_EQ(1, notices.load());
    EXPECT_EQ(CHelpRequest::Done, request.GetState());
    EXPECT_FALSE(request.GetResult());
}
