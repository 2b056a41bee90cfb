// win32-linux/user32/window_placement.cpp
// GetWindowPlacement and SetWindowPlacement over the window model: a window that a backend
// shows is read and placed on screen by it; any other keeps its placement in the model until
// it is shown.
#include <windows.h>

#include <algorithm>
#include <climits>

#include "user32/user_driver.h"
#include "user32/window_model.h"

using standin::FromHandle;
using standin::Window;

namespace {

// The base units of the dialog font Windows uses at 96 dots per inch (8-point MS Shell Dlg).
constexpr int kBaseX = 6;
constexpr int kBaseY = 13;

// The backend showing the window (a dialog, or the dialog a control belongs to), if it
// places windows itself.
const standin::UiBackend* Placer(const Window* w) {
    const Window* dlg = w->isDialog ? w : FromHandle(w->parent);
    if (dlg == nullptr || !dlg->visible || dlg->backend == nullptr)
        return nullptr;
    return dlg->backend->getPlacement != nullptr && dlg->backend->setPlacement != nullptr
               ? dlg->backend
               : nullptr;
}

// What a window that was never placed gives: its template rectangle, dialog units turned
// into pixels with the base units of the default dialog font; no minimised or maximised
// position (-1, -1), as Windows reports them when none was set.
WINDOWPLACEMENT FromTemplate(const Window* w) {
    WINDOWPLACEMENT wp{};
    wp.length = sizeof wp;
    wp.showCmd = SW_SHOWNORMAL;
    wp.ptMinPosition = {-1, -1};
    wp.ptMaxPosition = {-1, -1};
    wp.rcNormalPosition.left = w->x * kBaseX / 4;
    wp.rcNormalPosition.top = w->y * kBaseY / 8;
    wp.rcNormalPosition.right = wp.rcNormalPosition.left + w->cx * kBaseX / 4;
    wp.rcNormalPosition.bottom = wp.rcNormalPosition.top + w->cy * kBaseY / 8;
    return wp;
}

// Sets the error and answers FALSE unless the record is there and says it is 44 bytes long.
bool Checked(const WINDOWPLACEMENT* lpwndpl, const Window* w) {
    if (lpwndpl == nullptr || lpwndpl->length != sizeof(WINDOWPLACEMENT)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    if (w == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return false;
    }
    return true;
}

// How far apart two rectangles are (squared); 0 when they touch or overlap. In 64 bits: a
// stored rectangle may hold any values.
long long Distance(const RECT& a, const RECT& b) {
    auto gap = [](long long lowEnd, long long highStart) {
        return highStart > lowEnd ? highStart - lowEnd : 0;
    };
    const long long dx = std::max(gap(a.right, b.left), gap(b.right, a.left));
    const long long dy = std::max(gap(a.bottom, b.top), gap(b.bottom, a.top));
    return std::min(dx, 1LL << 31) * std::min(dx, 1LL << 31) +
           std::min(dy, 1LL << 31) * std::min(dy, 1LL << 31);
}

// The start that keeps [start, start + size) inside [low, high) as far as it fits, the
// start always inside.
LONG Clamp(long long start, long long size, LONG low, LONG high) {
    return static_cast<LONG>(std::max<long long>(low, std::min(start, high - size)));
}

}  // namespace

namespace standin {

RECT BringOnScreen(const RECT& rect, const std::vector<RECT>& workAreas) {
    const RECT* nearest = nullptr;
    long long best = LLONG_MAX;
    const long long width = static_cast<long long>(rect.right) - rect.left;
    const long long row = std::min<long long>(kGrabRow, static_cast<long long>(rect.bottom) - rect.top);
    for (const RECT& area : workAreas) {
        const long long d = Distance(rect, area);
        const long long shown = std::min<long long>(rect.right, area.right) -
                                std::max<long long>(rect.left, area.left);
        if (width > 0 && row > 0 && rect.top >= area.top &&
            static_cast<long long>(rect.top) + row <= area.bottom && 2 * shown >= width)
            return rect;
        if (d < best) {
            best = d;
            nearest = &area;
        }
    }
    if (nearest == nullptr)
        return rect;
    // A rectangle turned inside out has no size; one larger than the area is cut to it.
    auto extent = [](long long low, long long high, long long room) {
        return std::min(std::max(high - low, 0LL), room);
    };
    const long long fitWidth = extent(rect.left, rect.right, nearest->right - nearest->left);
    const long long fitHeight = extent(rect.top, rect.bottom, nearest->bottom - nearest->top);
    RECT moved;
    moved.left = Clamp(rect.left, fitWidth, nearest->left, nearest->right);
    moved.top = Clamp(rect.top, fitHeight, nearest->top, nearest->bottom);
    moved.right = static_cast<LONG>(moved.left + fitWidth);
    moved.bottom = static_cast<LONG>(moved.top + fitHeight);
    return moved;
}

}  // namespace standin

BOOL WINAPI GetWindowPlacement(HWND hWnd, WINDOWPLACEMENT* lpwndpl) {
    const Window* w = FromHandle(hWnd);
    if (!Checked(lpwndpl, w))
        return FALSE;
    if (const standin::UiBackend* placer = Placer(w))
        if (placer->getPlacement(hWnd, lpwndpl))
            return TRUE;
    *lpwndpl = w->hasPlacement ? w->placement : FromTemplate(w);
    return TRUE;
}

BOOL WINAPI SetWindowPlacement(HWND hWnd, const WINDOWPLACEMENT* lpwndpl) {
    Window* w = FromHandle(hWnd);
    if (!Checked(lpwndpl, w))
        return FALSE;
    w->placement = *lpwndpl;
    w->hasPlacement = true;
    if (const standin::UiBackend* placer = Placer(w))
        return placer->setPlacement(hWnd, lpwndpl) ? TRUE : FALSE;
    return TRUE;
}
