// app/settings.h
// The one stored setting: whether to ask before a deletion requested on the command line.
// It lives under HKEY_CURRENT_USER\Software\Zapfile as the REG_SZ value "bAskUser".
#ifndef ZAPFILE_SETTINGS_H
#define ZAPFILE_SETTINGS_H

#include <windows.h>

// Sets app.bAskUser: 0 when the stored text begins with "0", else 1. A first run creates the
// key, empty.
void LoadSettings();
// Stores "1" or "0" for app.bAskUser; returns the write's status, or why a key could not be
// opened: 0 only when the setting was stored.
LONG SaveSettings();

#endif
