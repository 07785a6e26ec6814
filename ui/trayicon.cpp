#include "ui/trayicon.h"

namespace {

TrayNotifyFunc g_trayNotify = nullptr;

} // namespace

TrayNotifyFunc SetTrayNotifyFunction(TrayNotifyFunc function)
{
    TrayNotifyFunc previous = g_trayNotify ? g_trayNotify : &Shell_NotifyIconA;
    g_trayNotify = function;
    return previous;
}

BOOL TrayNotify(DWORD message, PNOTIFYICONDATAA data)
{
    return g_trayNotify ? g_trayNotify(message, data) : ::Shell_NotifyIconA(message, data);
}
