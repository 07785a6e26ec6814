#include "skin/core/skinmanager.h"

#include <vector>

#include "skin/core/skinstore.h"
#include "skin/core/skinversion.h"
#include "skin/core/skinwnd.h"
#include "skin/objects/skinresourceobjects.h"
#include "skin/objects/skintypes.h"

CSkinManager::CSkinManager() : m_store(new CSkinStore()), m_factory(&GetBuiltinSkinnerFactory())
{
    static const char* const controlBars[] = {
        "AfxControlBar42sd", "AfxControlBar42s", "AfxControlBar42su", "AfxControlBar42sud",
        "AfxControlBar42", "AfxControlBar42d", "AfxControlBar42u", "AfxControlBar42ud",
        "AfxControlBar70", "AfxControlBar70d", "AfxControlBar70u", "AfxControlBar70ud",
        "AfxControlBar70s", "AfxControlBar70sd", "AfxControlBar70su", "AfxControlBar70sud"};
    for (size_t i = 0; i < sizeof(controlBars) / sizeof(controlBars[0]); ++i)
        m_classes[controlBars[i]] = sotControlBar;
    static const struct { const char* name; int type; } classes[] = {
        {"msctls_statusbar32", sotStatusBar}, {"ToolbarWindow32", sotToolBar},
        {"Static", sotStatic}, {"Button", sotButton}, {"GroupBox", sotGroupBox},
        {"Radio", sotRadio}, {"CheckBox", sotCheckBox}, {"ScrollBar", sotScrollBar},
        {"msctls_progress32", sotProgressBar}, {"msctls_updown32", sotSpin},
        {"msctls_trackbar32", sotSlider}, {"ComboBox", sotComboBox},
        {"SysTabControl32", sotTab}, {"Edit", sotEdit}, {"SysListView32", sotListView},
        {"ListBox", sotListBox}, {"SysTreeView32", sotTreeView}, {"RICHEDIT", sotRichEdit},
        {"SysIPAddress32", sotScrollControl}, {"SysHeader32", sotHeader},
        {"ReBarWindow32", sotRebar}, {"SysAnimate32", sotAnimate}, {"Link Window", sotLinkWnd},
        {"SysMonthCal32", sotMonthCalendar}, {"SysDateTimePick32", sotDateTime}};
    for (size_t i = 0; i < sizeof(classes) / sizeof(classes[0]); ++i)
        m_classes[classes[i].name] = classes[i].type;
}

CSkinManager::~CSkinManager()
{
    for (std::map<HWND, CSkinWnd*>::iterator it = m_windows.begin(); it != m_windows.end(); ++it)
        delete it->second;
    delete m_store;
}

void CSkinManager::SetSkinnerFactory(ISkinnerFactory* factory)
{
    CSkinLockScope scope(m_lock);
    m_factory = factory ? factory : &GetBuiltinSkinnerFactory();
}

size_t CSkinManager::GetSkinnerCount()
{
    CSkinLockScope scope(m_lock);
    return m_windows.size();
}

bool CSkinManager::GetSkinSysColor(int index, COLORREF* colour)
{
    CSkinLockScope scope(m_lock);
    CSkinSysColorTableObject* table = m_store ? m_store->GetSysColorTable() : NULL;
    if (!table)
        return false;
    *colour = table->GetColour(index);
    return true;
}

bool CSkinManager::IsWindowObjectType(int type)
{
    // The window skinners draw a nine-part frame: shape objects only.
    return type == sotFrameWnd || type == sotShape;
}

bool CSkinManager::IsControlObjectType(int type)
{
    switch (type) {
    case sotButton: case sotCheckBox: case sotGroupBox: case sotRadio: case sotStatic:
    case sotComboBox: case sotEdit: case sotListBox: case sotScrollControl: case sotListView:
    case sotTreeView: case sotRichEdit: case sotHeader: case sotProgressBar: case sotScrollBar:
    case sotSlider: case sotStatusBar: case sotTab: case sotToolBar: case sotControlBar:
    case sotSpin: case sotDateTime: case sotMonthCalendar: case sotRebar: case sotAnimate:
        return true;
    default:
        return false;
    }
}

CSkinWnd* CSkinManager::FindSkinner(HWND hwnd)
{
    CSkinLockScope scope(m_lock);
    std::map<HWND, CSkinWnd*>::iterator it = m_windows.find(hwnd);
    return it == m_windows.end() ? NULL : it->second;
}

CSkinWnd* CSkinManager::FindSkinnedAncestor(HWND hwnd)
{
    CSkinLockScope scope(m_lock);
    for (HWND current = hwnd; current; current = GetParent(current)) {
        std::map<HWND, CSkinWnd*>::iterator it = m_windows.find(current);
        if (it != m_windows.end()) {
            CSkinObject* object = it->second->GetSkinObject();
            if (!object || object->GetType() == sotFrameWnd || object->GetType() == sotShapeWnd
                || object->GetType() == sotShape)
                return it->second;
            continue;
        }
        if (!(GetWindowLongA(current, GWL_STYLE) & WS_CHILD)
            || (GetWindowLongA(current, GWL_EXSTYLE) & WS_EX_MDICHILD))
            return NULL;
    }
    return NULL;
}

int CSkinManager::ControlTypeOfWindow(HWND hwnd) const
{
    char name[100];
    if (!GetClassNameA(hwnd, name, sizeof(name)))
        return 0;
    std::string kind = name;
    if (kind == "Button") {
        const DWORD style = (DWORD)GetWindowLongA(hwnd, GWL_STYLE);
        if ((style & BS_TYPEMASK) == BS_OWNERDRAW)
            return 0; // drawn by its owner
        if ((style & 7) == 7)
            kind = "GroupBox";
        else if ((style & 2) || (style & 3) == 3 || (style & 5) == 5)
            kind = "CheckBox";
        else if ((style & 4) || (style & 9) == 9)
            kind = "Radio";
    } else if (kind == "ComboLBox") {
        HWND parent = GetParent(hwnd);
        if (!parent)
            return 0;
        const DWORD style = (DWORD)GetWindowLongA(parent, GWL_STYLE);
        return (style & 1) && (style & 3) != 3 ? sotListBox : 0;
    }
    std::map<std::string, int>::const_iterator it = m_classes.find(kind);
    return it == m_classes.end() ? 0 : it->second;
}

CSkinWnd* CSkinManager::CreateControlSkinner(int type, CSkinWnd* parent)
{
    CSkinLockScope scope(m_lock);
    return m_factory->CreateControlSkinner(type, parent);
}

BOOL CSkinManager::EnterAndAttach(CSkinWnd* skinner, HWND hwnd, CSkinObject* object)
{
    m_windows[hwnd] = skinner;
    skinner->SetSkinObject(object);
    if (skinner->Attach(hwnd))
        return TRUE;
    // Take it out again only if it is still ours: attaching may have
    // destroyed the window and with it the entry.
    std::map<HWND, CSkinWnd*>::iterator it = m_windows.find(hwnd);
    if (it != m_windows.end() && it->second == skinner) {
        m_windows.erase(it);
        skinner->Detach();
        delete skinner;
    }
    return FALSE;
}

BOOL CSkinManager::SetWindowSkin(HWND hwnd, LPCSTR name, int* error)
{
    if (!name)
        return FALSE;
    CSkinLockScope scope(m_lock);
    if (m_windows.count(hwnd))
        return FALSE;
    CSkinObject* object = m_store->FindByName(name);
    if (!object)
        return FALSE;
    if (!IsWindowObjectType(object->GetType()) || !IsWindow(hwnd)) {
        if (error)
            *error = ErrorNoObject;
        return FALSE;
    }
    CSkinWnd* skinner = m_factory->CreateDialogSkinner();
    if (!skinner)
        return FALSE;
    if (!EnterAndAttach(skinner, hwnd, object)) {
        if (error)
            *error = ErrorNoObject;
        return FALSE;
    }
    return TRUE;
}

BOOL CSkinManager::SetControlSkin(HWND hwnd, LPCSTR name, LPCSTR container, int* error)
{
    int dummy = 0;
    int& failure = error ? *error : dummy;
    if (!name) {
        failure = ErrorNoObject;
        return FALSE;
    }
    CSkinLockScope scope(m_lock);
    CSkinObject* object = NULL;
    if (container) {
        CSkinObject* parent = m_store->FindByName(container);
        object = parent ? parent->FindChild(name) : NULL;
    } else {
        object = m_store->FindByName(name);
    }
    if (!object || !IsControlObjectType(object->GetType()) || !IsWindow(hwnd)) {
        failure = ErrorNoObject;
        return FALSE;
    }
    std::map<HWND, CSkinWnd*>::iterator it = m_windows.find(hwnd);
    if (it != m_windows.end()) {
        CSkinObject* current = it->second->GetSkinObject();
        const int currentType = current ? current->GetType() : 0;
        const int newType = object->GetType();
        if (current && (currentType == newType
                        || ((currentType == sotCheckBox || currentType == sotRadio) && newType == sotButton))) {
            it->second->SetSkinObject(object);
            return TRUE;
        }
        failure = ErrorNoObject;
        return FALSE;
    }
    CSkinWnd* skinner = m_factory->CreateControlSkinner(object->GetType(), NULL);
    if (!skinner || !EnterAndAttach(skinner, hwnd, object)) {
        failure = ErrorNoObject;
        return FALSE;
    }
    skinner->SetSkinObject(object);
    return TRUE;
}

BOOL CSkinManager::SetFrameSkin(HWND hwnd, LPCSTR name)
{
    {
        CSkinLockScope scope(m_lock);
        if (m_windows.count(hwnd))
            return FALSE;
        // No name: the skin's first frame object.
        CSkinObject* object = name ? m_store->FindByName(name) : m_store->FindFirstOfType(sotFrameWnd);
        if (!object || object->GetType() != sotFrameWnd)
            return FALSE;
        CSkinWnd* skinner = m_factory->CreateFrameSkinner();
        if (!skinner || !EnterAndAttach(skinner, hwnd, object))
            return FALSE;
    }
    // Outside the lock: the top window's answer may need other threads.
    HWND top = hwnd;
    while (HWND parent = GetParent(top))
        top = parent;
    SendMessageA(top, WM_SYSCOLORCHANGE, 0, 0);
    return TRUE;
}

BOOL CSkinManager::SkinFloatingToolbar(HWND hwnd)
{
    CSkinLockScope scope(m_lock);
    CSkinObject* object = m_store->FindFirstOfType(sotToolBar);
    if (!object || m_windows.count(hwnd))
        return FALSE;
    CSkinWnd* skinner = m_factory->CreateControlSkinner(sotToolBar, NULL);
    return skinner ? EnterAndAttach(skinner, hwnd, object) : FALSE;
}

BOOL CSkinManager::AddSkinner(CSkinWnd* skinner, HWND hwnd)
{
    if (!skinner)
        return FALSE;
    CSkinLockScope scope(m_lock);
    if (m_windows.count(hwnd))
        return FALSE;
    m_windows[hwnd] = skinner;
    return TRUE;
}

BOOL CSkinManager::RemoveSkin(HWND hwnd, int mode)
{
    CSkinLockScope scope(m_lock);
    std::map<HWND, CSkinWnd*>::iterator it = m_windows.find(hwnd);
    if (it == m_windows.end())
        return FALSE;
    CSkinWnd* skinner = it->second;
    m_windows.erase(it);
    if (mode == RemoveDetach)
        skinner->Detach();
    else
        skinner->RestoreWindowProc();
    delete skinner;
    return TRUE;
}

BOOL CSkinManager::InstallStore(CSkinStore* store)
{
    if (!store)
        return FALSE;
    CSkinLockScope scope(m_lock);
    const bool frozen = m_store != NULL && !m_windows.empty() && LockWindowUpdate(GetDesktopWindow());
    CSkinStore* old = m_store;
    m_store = store;

    std::vector<HWND> orphans;
    for (std::map<HWND, CSkinWnd*>::iterator it = m_windows.begin(); it != m_windows.end(); ++it) {
        CSkinWnd* skinner = it->second;
        if (skinner->GetHwnd() && !GetParent(skinner->GetHwnd()))
            SendMessageA(skinner->GetHwnd(), WM_SYSCOLORCHANGE, 0, 0);
        CSkinObject* current = skinner->GetSkinObject();
        CSkinObject* replacement = NULL;
        if (current) {
            replacement = store->FindByName(current->GetName());
            if (!replacement || replacement->GetType() != current->GetType())
                replacement = store->FindFirstOfType(current->GetType());
        }
        if (replacement)
            skinner->SetSkinObject(replacement);
        else if (!skinner->KeepWithoutObject())
            orphans.push_back(it->first);
        else
            skinner->SetSkinObject(NULL); // never left pointing into the old store
    }
    for (size_t i = 0; i < orphans.size(); ++i)
        RemoveSkin(orphans[i], RemoveDetach);
    for (std::map<HWND, CSkinWnd*>::iterator it = m_windows.begin(); it != m_windows.end();) {
        if (it->second->GetHwnd() != it->first) {
            delete it->second;
            m_windows.erase(it++);
        } else {
            ++it;
        }
    }
    delete old;
    SetSkinVersion(store->GetVersion().major, store->GetVersion().minor);
    if (frozen)
        LockWindowUpdate(NULL);
    return TRUE;
}

void CSkinManager::RemoveAll()
{
    CSkinLockScope scope(m_lock);
    // Detaching a parent removes its children's entries: take out one
    // registered entry at a time.
    while (!m_windows.empty()) {
        std::map<HWND, CSkinWnd*>::iterator it = m_windows.begin();
        CSkinWnd* skinner = it->second;
        m_windows.erase(it);
        skinner->Detach();
        delete skinner;
    }
    delete m_store;
    m_store = new CSkinStore();
}
