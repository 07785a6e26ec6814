#pragma once
// A help-request send that waits until the test lets it finish, and counts
// and records its calls.

#include "reports/helprequest.h"

#include <atomic>
#include <string>

struct GatedSend
{
    GatedSend()
        : started(CreateEventA(NULL, TRUE, FALSE, NULL)), release(CreateEventA(NULL, TRUE, FALSE, NULL)),
          finished(CreateEventA(NULL, TRUE, FALSE, NULL))
    {
    }
    ~GatedSend()
    {
        // A send still waiting is let go before the events close.
        SetEvent(release);
        WaitForSingleObject(finished, calls ? 10000 : 0);
        CloseHandle(started);
        CloseHandle(release);
        CloseHandle(finished);
    }

    CHelpRequest::SendFunction Function(bool result)
    {
        return [this, result](const std::string& email, const std::string& subject, const std::string& description) {
            ++calls;
            seen = email + "|" + subject + "|" + description;
            SetEvent(started);
            WaitForSingleObject(release, 30000);
            SetEvent(finished);
            return result;
        };
    }

    HANDLE started, release, finished;
    std::string seen;
    std::atomic<int> calls{0};
};
