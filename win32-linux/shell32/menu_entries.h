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

// The largest entry file, and the largest action, that is written; a file of the user's that is
// larger cannot be an entry. A command line of at most kMaxCommand bytes makes an entry of at
// most kMaxEntry bytes in every format (each byte of it takes at most 7 there, and the verb's
// name at most 2 x 255 more); a longer one gets no entry at all.
constexpr size_t kMaxEntry = 64 * 1024;
constexpr size_t kMaxCommand = 8 * 1024;

// Entries name the verb that wrote them; what makes an entry this program's own is its name
// and its bytes (file_manager_menus.cpp), not this mark.
constexpr char kKeyMark[] = "X-Zapfile-Shell-Verb=true";
constexpr char kScriptMark[] = "# X-Zapfile-Shell-Verb=true";
constexpr char kThunarMark[] = "<unique-id>zapfile-shell-verb-";

struct Verb {
    std::string name;
    std::vector<std::string> args;  // args[0] the program; exactly one of them is "%1"
};

// Splits a command line as the Explorer does: blanks part the tokens, a token that starts
// with a double quote runs to the next one. False, with why in *reason, for a line that an
// entry could not carry exactly: no absolute program, not exactly one %1, a double quote
// inside a token, a control character, a % that the Explorer could read as a code of its own
// (before a letter, a digit, *, ~ or another %), or more than kMaxCommand bytes.
bool ParseCommand(std::string_view line, std::vector<std::string>* args,
                  const char** reason = nullptr);
// A verb's name is a file's name and a label in every format.
bool UsableName(const std::string& name);
// Desktop files and uca.xml must be UTF-8: one bad byte can make a file manager drop the whole
// file (in uca.xml the user's own actions with it).
bool IsUtf8(std::string_view s);

struct EntryFormat {
    const char* manager;  // the file manager's name, in messages
    const char* id;       // where what was written last is kept
    const char* folder;   // below the data home
    const char* suffix;
    mode_t mode;
    bool utf8;  // a text that must be UTF-8 throughout
    std::string (*content)(const Verb&);
};

// GNOME Files, Dolphin and Nemo: one file per verb in a folder below the data home.
extern const EntryFormat kFormats[3];

// Thunar: one action of uca.xml.
std::string ThunarAction(const Verb& v);

// uca.xml with every action whose bytes are one of `owned` taken out (with the line end after
// it) and `ours` put before </actions>; every other byte stays where it was. False, with *out
// unspecified, for a text that is not a plain list of actions: only blanks and whole
// <action> elements between <actions> and </actions>.
bool ReplaceOurActions(std::string_view text, const std::vector<std::string>& owned,
                       std::string_view ours, std::string* out);

}  // namespace standin::menus

#endif
