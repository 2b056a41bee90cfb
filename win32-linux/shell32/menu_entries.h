// win32-linux/shell32/menu_entries.h
// The file managers' entries for one verb: which command lines an entry can carry, and the
// text of the entry in each file manager's format.
#ifndef ZAPFILE_STANDIN_SHELL32_MENU_ENTRIES_H
#define ZAPFILE_STANDIN_SHELL32_MENU_ENTRIES_H

#include <sys/types.h>

#include <string>
#include <string_view>
#include <vector>

namespace standin::menus {

// Entries carry a mark: a file without it belongs to the user and is never touched.
constexpr char kKeyMark[] = "X-Zapfile-Shell-Verb=true";
constexpr char kScriptMark[] = "# X-Zapfile-Shell-Verb=true";
constexpr char kThunarMark[] = "<unique-id>zapfile-shell-verb-";

struct Verb {
    std::string name;
    std::vector<std::string> args;  // args[0] the program; exactly one of them is "%1"
};

// Splits a command line as the Explorer does: blanks part the tokens, a token that starts
// with a double quote runs to the next one. False for a line that an entry could not carry
// exactly: no absolute program, not exactly one %1, a quote, control character or other %.
bool ParseCommand(std::string_view line, std::vector<std::string>* args);
// A verb's name is a file's name and a label in every format.
bool UsableName(const std::string& name);

struct EntryFormat {
    const char* folder;  // below the data home
    const char* suffix;
    mode_t mode;
    const char* mark;
    std::string (*content)(const Verb&);
};

// GNOME Files, Dolphin and Nemo: one file per verb in a folder below the data home.
extern const EntryFormat kFormats[3];

// Thunar: one action of uca.xml.
std::string ThunarAction(const Verb& v);

}  // namespace standin::menus

#endif
