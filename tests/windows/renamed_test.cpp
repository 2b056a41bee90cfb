// tests/windows/renamed_test.cpp
// The forced deletion over Windows' own calls, where ReOpenFile may look the name up again
// (Wine's does): a file renamed onto the checked name in between is another file, and must be
// left alone.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "forced_delete.h"

namespace {

HHOOK g_hook = nullptr;
HWND g_box = nullptr;
std::string g_boxText;  // what the last message box said; each box is closed once shown

// Reads the box's text once its dialog has filled it in: its static that holds any
// (Windows and Wine number it apart). Then presses OK.
void CALLBACK ReadAndClose(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    for (HWND c = GetWindow(g_box, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
        char cls[16] = "", text[512] = "";
        GetClassNameA(c, cls, sizeof cls);
        if (lstrcmpiA(cls, "Static") == 0 && GetWindowTextA(c, text, sizeof text) > 0)
            g_boxText = text;
    }
    PostMessageA(g_box, WM_COMMAND, IDOK, 0);
}

LRESULT CALLBACK CloseEachBox(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE) {
        g_box = reinterpret_cast<HWND>(wParam);
        SetTimer(nullptr, 0, 50, ReadAndClose);
    }
    return CallNextHookEx(g_hook, code, wParam, lParam);
}

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return in ? text.str() : "(missing)";
}

void Write(const std::string& path, const char* text) {
    std::ofstream(path, std::ios::binary) << text;
}

TEST(ForcedDeleteOverWindows, AFileRenamedOntoTheCheckedNameIsLeftAlone) {
    char temp[MAX_PATH];
    ASSERT_NE(0u, GetTempPathA(MAX_PATH, temp));
    const std::string folder = std::string(temp) + "renamed-" + std::to_string(GetTickCount());
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    const std::string path = folder + "\\f", other = folder + "\\g";
    Write(path, "checked");
    Write(other, "newcomer");
    CheckedFile file;
    ASSERT_TRUE(CheckFileToZap(path.c_str(), &file));
    // Windows replaces no open file: the checked one is moved aside first.
    ASSERT_TRUE(MoveFileA(path.c_str(), (folder + "\\h").c_str())) << GetLastError();
    ASSERT_TRUE(MoveFileA(other.c_str(), path.c_str())) << GetLastError();
    g_hook = SetWindowsHookExA(WH_CBT, CloseEachBox, nullptr, GetCurrentThreadId());
    ZapCheckedFile(nullptr, &file, path.c_str());
    UnhookWindowsHookEx(g_hook);
    EXPECT_EQ("newcomer", Read(path));
    // Windows reopens the open file itself, which is zapped where it went; Wine reopens the
    // name, finds another file, and leaves the checked one as it was, saying so.
    const std::string moved = Read(folder + "\\h");
    if (moved == "(missing)")
        EXPECT_EQ("", g_boxText);
    else
        EXPECT_EQ("checked / Couldn't delete file.", moved + " / " + g_boxText.substr(0, 21));
    DeleteFileA(path.c_str());
    DeleteFileA((folder + "\\h").c_str());
    RemoveDirectoryA(folder.c_str());
}

}  // namespace
