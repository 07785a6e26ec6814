#pragma once
// What the application object asks of the running desktop program.
// CCleanwardenApp implements it; a window-less server has none.

class IApplicationHost
{
public:
    // Asks the user whether the program is to close (AskToCloseProgram): 1
    // when the user agreed, and the main dialog has been ended with 0; else 0.
    virtual int PromptClose() = 0;

protected:
    ~IApplicationHost() {}
};
