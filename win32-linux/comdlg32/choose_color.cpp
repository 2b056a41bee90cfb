// win32-linux/comdlg32/choose_color.cpp
// ChooseColorA: the backend's colour chooser, with the caller's sixteen custom colours on
// offer. A colour the user made in the chooser's editor becomes the first custom colour, as
// "Add to Custom Colors" would make it one, so that the next call offers it again.
#include <windows.h>

#include <algorithm>
#include <cstring>

#include "user32/user_driver.h"

static_assert(sizeof(CHOOSECOLORA) == (sizeof(void*) == 8 ? 72 : 36));

namespace {

constexpr int kCustomColors = 16;

void AddCustomColor(COLORREF* custom, COLORREF rgb) {
    if (std::find(custom, custom + kCustomColors, rgb) != custom + kCustomColors)
        return;
    memmove(custom + 1, custom, (kCustomColors - 1) * sizeof *custom);
    custom[0] = rgb;
}

}  // namespace

BOOL WINAPI ChooseColorA(LPCHOOSECOLORA lpcc) {
    if (lpcc == nullptr || lpcc->lStructSize != sizeof(CHOOSECOLORA) ||
        lpcc->lpCustColors == nullptr)
        return FALSE;
    const standin::UiBackend* backend =
        standin::BackendForChooser(lpcc->hwndOwner, "colour chooser");
    if (backend == nullptr || backend->chooseColor == nullptr)
        return FALSE;
    // Without CC_RGBINIT the chooser starts on black, as Windows' does.
    COLORREF rgb = (lpcc->Flags & CC_RGBINIT) ? lpcc->rgbResult & 0x00FFFFFF : 0;
    bool mixed = false;
    if (!backend->chooseColor(lpcc->hwndOwner, &rgb, lpcc->lpCustColors, &mixed))
        return FALSE;
    rgb &= 0x00FFFFFF;
    if (mixed)
        AddCustomColor(lpcc->lpCustColors, rgb);
    lpcc->rgbResult = rgb;
    return TRUE;
}
