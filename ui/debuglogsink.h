#pragma once
// Sends the window framework's diagnostic lines (what the window
// procedure's barrier caught) to the debug log "sdebug.log". The dialog base
// installs it; the application may call it earlier, before any dialog.

void UseDebugLogForFramework();
