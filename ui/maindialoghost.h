#pragma once
// What the main dialog asks of the application object (CCleanwardenApp
// implements it; the tests fake it): the engine, the crash report, the
// default dialog skin, and the pages and page dialogs it shows.

#include <windows.h>

#include "engine/mothtrap.h"
#include "platform/atl/atlbase.h"
#include "platform/mfc/cstring.h"

class CToolTipDialog;
class CWnd;

class IMainDialogHost
{
public:
    enum { PageCount = 5 };

    // The application's engine objects (null when there are none).
    virtual void GetScanner(CComPtr<IScanner>& scanner) = 0;
    virtual void GetQuarantineObject(CComPtr<IQuarantine>& quarantine) = 0;

    // The crash report: the engine message text and the exception report
    // text (empty: the application's stored text).
    virtual void ShowExceptionReport(CString engineText, CString exceptionText) = 0;

    // The main window's handle once it exists, and null once it is gone;
    // the application hands it to threads that post to it.
    virtual void SetMainWindowHandle(HWND window) = 0;

    // The skin object dialogs created from now on get.
    virtual void SetDefaultDialogSkinName(CString name) = 0;
    virtual void ApplyDefaultDialogSkin() = 0;

    // The five pages in tab order (scan, settings, scheduler, help, news),
    // made on the heap with the main dialog as parent; their windows are
    // not made yet. A slot may stay null.
    virtual void MakePages(CWnd* parent, CToolTipDialog* pages[PageCount]) = 0;
    // The modal page dialogs the main dialog opens.
    virtual void RunAboutDialog(CWnd* owner) = 0;
    virtual void RunProgramUpdateDialog(CWnd* owner) = 0;

protected:
    ~IMainDialogHost() {}
};
