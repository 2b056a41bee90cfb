// app/settings.cpp
#include "settings.h"

#include <cstring>

#include "app_state.h"
#include "text_helpers.h"

void LoadSettings() {
    app.bAskUser = 1;
    if (app.key.OpenOrCreate(HKEY_CURRENT_USER, "Software") == nullptr)
        return;
    if (app.key.OpenOrCreate(app.key.hKey, "Zapfile") == nullptr)
        return;
    const char* szText = app.key.GetString("bAskUser");
    if (szText == nullptr)
        return;
    strcpy(app.szSetting, szText);  // at most MAX_TEXT characters and the NUL
    if (app.szSetting[0] == '0')
        app.bAskUser = 0;
}

LONG SaveSettings() {
    // A key that cannot be opened is a failed write, not a success.
    if (app.key.OpenOrCreate(HKEY_CURRENT_USER, "Software") == nullptr ||
        app.key.OpenOrCreate(app.key.hKey, "Zapfile") == nullptr)
        return static_cast<LONG>(GetLastError());
    return app.key.SetString(app.bAskUser == 1 ? "1" : "0", "bAskUser");
}
