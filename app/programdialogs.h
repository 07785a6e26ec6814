#pragma once
// The one place where the application reaches the dialogs of the program's
// other parts: the main window's five pages, the About box, the program
// update dialog and the crash report. Until those parts are built, plain
// stand-ins hold their places here (a page that names itself, a small About
// box, message boxes).

#include "platform/mfc/cstring.h"
#include "ui/maindialoghost.h"

class CWnd;

// The pages in tab order, on the heap, with the parent given.
void MakeMainPages(CWnd* parent, CToolTipDialog* pages[IMainDialogHost::PageCount]);

// Modal, owned by the window given (may be null).
void RunAboutDialog(CWnd* owner);
// Asked by the scheduler's program-update task when a newer program exists.
void RunProgramUpdateDialog(CWnd* owner);
// The crash report: the engine message text and the exception report text.
void RunExceptionDialog(const CString& engineText, const CString& exceptionText);

// The language sections of the five pages, in tab order.
extern const char* const kMainPageSections[IMainDialogHost::PageCount];
