// tests/lib/test_window.h
// Runs a test inside the initialisation of the test dialog (lib_tests.rc), which it then
// ends: a real window on both platforms that is never shown, unless the test shows it.
#ifndef ZAPFILE_TESTS_TEST_WINDOW_H
#define ZAPFILE_TESTS_TEST_WINDOW_H

#include <windows.h>

#include <functional>

namespace testwindow {

constexpr int kDialogId = 100;
constexpr INT_PTR kEnded = 7;

inline INT_PTR CALLBACK Proc(HWND hwnd, UINT msg, WPARAM, LPARAM lParam) {
    if (msg != WM_INITDIALOG)
        return FALSE;
    (*reinterpret_cast<const std::function<void(HWND)>*>(lParam))(hwnd);
    EndDialog(hwnd, kEnded);
    return TRUE;
}

// What DialogBoxParamA returned: kEnded once `body` has run.
inline INT_PTR Run(const std::function<void(HWND)>& body) {
    return DialogBoxParamA(nullptr, MAKEINTRESOURCE(kDialogId), nullptr, Proc,
                           reinterpret_cast<LPARAM>(&body));
}

}  // namespace testwindow

#endif
