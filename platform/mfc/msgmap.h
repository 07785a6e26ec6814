#pragma once
// Message maps: each class that declares one lists the messages, commands and
// notifications it handles, and names its base class, whose map is searched
// when its own has no entry. An entry holds a small dispatch function made
// for the handler's exact signature (AfxSig checks it at compile time), which
// cracks the message's parameters as the framework's handlers expect them.
//
//   class CMyDialog : public CDialog { ... DECLARE_MESSAGE_MAP() };
//   BEGIN_MESSAGE_MAP(CMyDialog, CDialog)
//       ON_WM_SIZE()
//       ON_BN_CLICKED(IDC_START, OnStart)
//       ON_MESSAGE(WM_APP, OnApp)
//   END_MESSAGE_MAP()

#include <windows.h>
#include <commctrl.h>

class CCmdTarget;

// One message on its way through a map; the handler's result goes to result.
struct AFX_MSGCALL
{
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    LRESULT result;
};

typedef void (*AFX_MSGTHUNK)(CCmdTarget* target, AFX_MSGCALL& call);

struct AFX_MSGMAP_ENTRY
{
    UINT nMessage;             // window message, WM_COMMAND, WM_NOTIFY or a reflected one
    UINT nCode;                // notification code (low word) for commands and notifications
    UINT nID;                  // first and last control or command id
    UINT nLastID;
    const UINT* pnRegistered;  // ON_REGISTERED_MESSAGE: where the message number is kept
    AFX_MSGTHUNK pfn;          // NULL ends the map
};

struct AFX_MSGMAP
{
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

// What a notification handler gets through OnCmdMsg's pExtra.
struct AFX_NOTIFY
{
    LRESULT* pResult;
    NMHDR* pNMHDR;
};

struct AFX_CMDHANDLERINFO;

// Notifications a child control sends its parent come back to the control's
// own map under these numbers (ON_NOTIFY_REFLECT, ON_CONTROL_REFLECT).
#define WM_REFLECT_BASE 0xBC00
// nMessage of ON_REGISTERED_MESSAGE entries.
#define AFX_REGISTERED_MESSAGE 0xC000
#define CN_COMMAND 0

// The handler pointer, checked against the signature the entry needs.
template <class Sig, class C>
constexpr Sig C::*AfxSig(Sig C::*handler)
{
    return handler;
}

// Entries of the message map in the class scope of ThisClass.
template <class T, auto F>
void AfxThunkMessage(CCmdTarget* t, AFX_MSGCALL& c)
{
    c.result = (static_cast<T*>(t)->*F)(c.wParam, c.lParam);
}
template <class T, auto F>
void AfxThunkVoid(CCmdTarget* t, AFX_MSGCALL&)
{
    (static_cast<T*>(t)->*F)();
}
template <class T, auto F>
void AfxThunkNotify(CCmdTarget* t, AFX_MSGCALL& c)
{
    (static_cast<T*>(t)->*F)(reinterpret_cast<NMHDR*>(c.lParam), &c.result);
}

#define DECLARE_MESSAGE_MAP() \
protected: \
    static const AFX_MSGMAP* GetThisMessageMap(); \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass) \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
    const AFX_MSGMAP* theClass::GetThisMessageMap() \
    { \
        typedef theClass ThisClass; \
        typedef baseClass TheBaseClass; \
        static_assert(sizeof(ThisClass) > 0, "complete class"); \
        static const AFX_MSGMAP_ENTRY _messageEntries[] = {

#define END_MESSAGE_MAP() \
            {0, 0, 0, 0, nullptr, nullptr}}; \
        static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, &_messageEntries[0]}; \
        return &messageMap; \
    }

// LRESULT OnXxx(WPARAM, LPARAM)
#define ON_MESSAGE(message, memberFxn) \
    {(message), 0, 0, 0, nullptr, \
     &AfxThunkMessage<ThisClass, AfxSig<LRESULT(WPARAM, LPARAM)>(&ThisClass::memberFxn)>},

// The message number is read from the variable when the message arrives.
#define ON_REGISTERED_MESSAGE(nMessageVariable, memberFxn) \
    {AFX_REGISTERED_MESSAGE, 0, 0, 0, &(nMessageVariable), \
     &AfxThunkMessage<ThisClass, AfxSig<LRESULT(WPARAM, LPARAM)>(&ThisClass::memberFxn)>},

// void OnXxx(): menu commands, accelerators and control notifications.
#define ON_COMMAND(id, memberFxn) \
    {WM_COMMAND, CN_COMMAND, (UINT)(id), (UINT)(id), nullptr, \
     &AfxThunkVoid<ThisClass, AfxSig<void()>(&ThisClass::memberFxn)>},
#define ON_COMMAND_RANGE(id, idLast, memberFxn) \
    {WM_COMMAND, CN_COMMAND, (UINT)(id), (UINT)(idLast), nullptr, \
     &AfxThunkVoid<ThisClass, AfxSig<void()>(&ThisClass::memberFxn)>},
#define ON_CONTROL(wNotifyCode, id, memberFxn) \
    {WM_COMMAND, (WORD)(wNotifyCode), (UINT)(id), (UINT)(id), nullptr, \
     &AfxThunkVoid<ThisClass, AfxSig<void()>(&ThisClass::memberFxn)>},
#define ON_BN_CLICKED(id, memberFxn) ON_CONTROL(BN_CLICKED, id, memberFxn)
#define ON_STN_CLICKED(id, memberFxn) ON_CONTROL(STN_CLICKED, id, memberFxn)

// void OnXxx(NMHDR* pNMHDR, LRESULT* pResult)
#define ON_NOTIFY(wNotifyCode, id, memberFxn) \
    {WM_NOTIFY, (WORD)(int)(wNotifyCode), (UINT)(id), (UINT)(id), nullptr, \
     &AfxThunkNotify<ThisClass, AfxSig<void(NMHDR*, LRESULT*)>(&ThisClass::memberFxn)>},

// In a control's own map: the notification it sent its parent. The
// handler's *pResult becomes the parent's answer to the notification.
#define ON_NOTIFY_REFLECT(wNotifyCode, memberFxn) \
    {WM_REFLECT_BASE + WM_NOTIFY, (WORD)(int)(wNotifyCode), 0, 0, nullptr, \
     &AfxThunkNotify<ThisClass, AfxSig<void(NMHDR*, LRESULT*)>(&ThisClass::memberFxn)>},
#define ON_CONTROL_REFLECT(wNotifyCode, memberFxn) \
    {WM_REFLECT_BASE + WM_COMMAND, (WORD)(wNotifyCode), 0, 0, nullptr, \
     &AfxThunkVoid<ThisClass, AfxSig<void()>(&ThisClass::memberFxn)>},
