#pragma once
// The one place where the application reaches the pages and the page
// dialogs: the main window's five pages, the About box and the program
// update dialog. Until a page is built, a stand-in that names itself holds
// its place here.

#include "ui/maindialoghost.h"

class CWnd;

// The pages in tab order, on the heap, with the parent given.
void MakeMainPages(CWnd* parent, CToolTipDialog* pages[IMainDialogHost::PageCount]);

// Modal, owned by the window given (may be null).
void RunAboutDialog(CWnd* owner);
// Asked by the scheduler's program-update task when a newer program exists.
void RunProgramUpdateDialog(CWnd* owner);

// The language sections of the five pages, in tab order.
extern const char* const kMainPageSections[IMainDialogHost::PageCount];
