// win32-linux/shell32/file_manager_menus.cpp
//
// The Explorer shows every verb under HKEY_CLASSES_ROOT\*\shell in a file's context menu and
// runs its command with the file's path in place of %1. Here each verb becomes an entry in the
// per-user menus of four file managers, derived from the registry alone: a sync writes what
// the verbs call for and removes the entries of verbs that are gone.
//
// An entry starts the verb's program once per chosen file, with the file's absolute path as
// one argument where %1 stood, as the Explorer does (the start-up code makes it the quoted
// tail again). A command line that cannot be carried exactly gets no entry at all.
//
// Entries carry a mark: a file without it belongs to the user and is never touched, and a
// verb whose entry name is taken by such a file has no entry in that file manager.

#include <windows.h>

#include "shell32/file_manager_menus.h"
#include "kernel32/user_folders.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr char kFileArg[] = "%1";
constexpr char kKeyMark[] = "X-Zapfile-Shell-Verb=true";
constexpr char kScriptMark[] = "# X-Zapfile-Shell-Verb=true";
constexpr char kThunarMark[] = "<unique-id>zapfile-shell-verb-";
constexpr off_t kMaxEntry = 64 * 1024;
constexpr off_t kMaxThunarFile = 16 * 1024 * 1024;

struct Verb {
    std::string name;
    std::vector<std::string> args;  // args[0] the program; exactly one of them is "%1"
};

// Desktop files and uca.xml are UTF-8, and one bad byte can make a file manager drop the
// whole file, the user's own actions in uca.xml with it.
bool IsUtf8(std::string_view s) {
    size_t i = 0;
    while (i < s.size()) {
        const unsigned char c = s[i++];
        const int more = c < 0x80 ? 0 : c >= 0xc2 && c < 0xe0 ? 1 : c >= 0xe0 && c < 0xf0 ? 2
                       : c >= 0xf0 && c < 0xf5 ? 3 : -1;
        if (more < 0 || s.size() - i < static_cast<size_t>(more))
            return false;
        const unsigned char c2 = more > 0 ? s[i] : 0x80;
        // No overlong forms, no surrogates, nothing past U+10FFFF.
        if ((c == 0xe0 && c2 < 0xa0) || (c == 0xed && c2 > 0x9f) || (c == 0xf0 && c2 < 0x90) ||
            (c == 0xf4 && c2 > 0x8f))
            return false;
        for (int k = 0; k < more; ++k)
            if ((static_cast<unsigned char>(s[i++]) & 0xc0) != 0x80)
                return false;
    }
    return true;
}

bool HasControl(std::string_view s) {
    for (const unsigned char c : s)
        if (c < 0x20 || c == 0x7f)
            return true;
    return false;
}

// Splits a command line as the Explorer does: blanks part the tokens, a token that starts
// with a double quote runs to the next one. False for a line that an entry could not carry
// exactly: no absolute program, not exactly one %1, a quote, control character or other %.
bool ParseCommand(std::string_view line, std::vector<std::string>* args) {
    args->clear();
    if (HasControl(line) || !IsUtf8(line))
        return false;
    int files = 0;
    size_t i = 0;
    for (;;) {
        while (i < line.size() && line[i] == ' ')
            ++i;
        if (i == line.size())
            break;
        std::string_view arg;
        if (line[i] == '"') {
            const size_t end = line.find('"', i + 1);
            if (end == std::string_view::npos)
                return false;
            arg = line.substr(i + 1, end - i - 1);
            i = end + 1;
            if (i < line.size() && line[i] != ' ')
                return false;  // "a"b
        } else {
            arg = line.substr(i, line.find(' ', i) - i);
            i += arg.size();
            if (arg.find('"') != std::string_view::npos)
                return false;
        }
        if (arg == kFileArg)
            ++files;
        else if (arg.find('%') != std::string_view::npos)
            return false;
        args->emplace_back(arg);
    }
    return files == 1 && (*args)[0][0] == '/';
}

// A verb's name is a file's name and a label in every format.
bool UsableName(const std::string& name) {
    return !name.empty() && name[0] != '.' && name.find('/') == std::string::npos &&
           !HasControl(name) && IsUtf8(name);
}

// ERROR_FILE_NOT_FOUND when the verb has no command; the text ends at its first NUL.
LONG ReadCommand(HKEY shell, const std::string& verb, std::string* line) {
    HKEY h = nullptr;
    LONG status = RegOpenKeyExA(shell, (verb + "\\command").c_str(), 0, KEY_READ, &h);
    if (status != ERROR_SUCCESS)
        return status;
    DWORD type = 0, size = 0;
    status = RegQueryValueExA(h, "", nullptr, &type, nullptr, &size);
    line->assign(size, '\0');
    if (status == ERROR_SUCCESS && size > 0)
        status = RegQueryValueExA(h, "", nullptr, &type, reinterpret_cast<BYTE*>(line->data()),
                                  &size);
    RegCloseKey(h);
    line->resize(type == REG_SZ ? strnlen(line->data(), line->size()) : 0);
    return status;
}

// The usable verbs in the registry's order; false when the registry could not be read.
bool ReadVerbs(std::vector<Verb>* verbs) {
    HKEY shell = nullptr;
    LONG status = RegOpenKeyExA(HKEY_CLASSES_ROOT, "*\\shell", 0, KEY_READ, &shell);
    if (status != ERROR_SUCCESS)
        return status == ERROR_FILE_NOT_FOUND;
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD cch = sizeof name;
        if ((status = RegEnumKeyExA(shell, i, name, &cch, nullptr, nullptr, nullptr, nullptr)))
            break;
        Verb v{name, {}};
        std::string line;
        status = ReadCommand(shell, v.name, &line);
        if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)
            break;
        if (status == ERROR_SUCCESS && UsableName(v.name) && ParseCommand(line, &v.args))
            verbs->push_back(v);
    }
    RegCloseKey(shell);
    return status == ERROR_NO_MORE_ITEMS;
}

// ---- The formats' quoting -----------------------------------------------------------------

std::string Escaped(std::string_view s, std::string_view special, std::string_view escape) {
    std::string out;
    for (const char c : s) {
        if (special.find(c) != std::string_view::npos)
            out += escape;
        out += c;
    }
    return out;
}

// sh: one word in single quotes.
std::string ShellWord(std::string_view s) {
    std::string out = "'";
    for (const char c : s)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// Exec of a desktop entry: one argument in double quotes, as the desktop-entry format and
// GLib's parser read it.
std::string ExecWord(std::string_view s) {
    return "\"" + Escaped(s, "\"`$\\", "\\") + "\"";
}

// A key file's value: backslashes doubled, blanks at either end kept as \s.
std::string KeyFileValue(std::string_view s) {
    std::string out = Escaped(s, "\\", "\\");
    if (!out.empty() && out.back() == ' ')
        out.replace(out.size() - 1, 1, "\\s");
    if (!out.empty() && out.front() == ' ')
        out.replace(0, 1, "\\s");
    return out;
}

std::string XmlText(std::string_view s) {
    std::string out;
    for (const char c : s)
        out += c == '&' ? "&amp;" : c == '<' ? "&lt;" : c == '>' ? "&gt;" : std::string(1, c);
    return out;
}

// The verb's command line in a format: each argument quoted by `word`, `file` where %1 stood.
std::string CommandLine(const Verb& v, const char* file, std::string (*word)(std::string_view)) {
    std::string out;
    for (const std::string& a : v.args)
        out += (out.empty() ? "" : " ") + (a == kFileArg ? std::string(file) : word(a));
    return out;
}

// The verb's command for sh, with the path in $f where %1 stood.
std::string ShellCommand(const Verb& v) { return CommandLine(v, "\"$f\"", ShellWord); }

// ---- The entries ----------------------------------------------------------------------------

// GNOME Files runs a script once for the whole selection, in the current folder, with paths
// relative to it: each is made absolute, so a name that starts with "-" is never an option.
std::string NautilusScript(const Verb& v) {
    return std::string("#!/bin/sh\n") + kScriptMark + "\nfor f in \"$@\"; do\n"
           "\tcase $f in /*) ;; *) f=$PWD/$f ;; esac\n\t" + ShellCommand(v) + "\ndone\n";
}

// Dolphin starts one process per file for %f. Files only (not folders), local ones only.
std::string DolphinMenu(const Verb& v) {
    const std::string exec = CommandLine(v, "%f", ExecWord);
    return std::string("[Desktop Entry]\nType=Service\nMimeType=application/octet-stream;\n"
                       "X-KDE-Protocols=file\nActions=verb;\n") + kKeyMark +
           "\n\n[Desktop Action verb]\nName=" + KeyFileValue(v.name) +
           "\nExec=" + KeyFileValue(exec) + "\n";
}

// Nemo has no per-file code: sh starts the program once per path of %F. With Quote=double,
// Nemo puts each path in double quotes and escapes it; %F itself stands outside quotes.
std::string NemoAction(const Verb& v) {
    const std::string loop = "for f in \"$@\"; do " + ShellCommand(v) + "; done";
    return std::string("[Nemo Action]\nName=") + KeyFileValue(Escaped(v.name, "%", "%")) +
           "\nExec=" + KeyFileValue("/bin/sh -c " + ExecWord(loop) + " sh %F") +
           "\nSelection=notnone\nExtensions=nodirs;\nQuote=double\n" + kKeyMark + "\n";
}

// Thunar runs the command with /bin/sh -c and puts each path of %F there already quoted.
std::string ThunarAction(const Verb& v) {
    return "<action>\n\t<icon></icon>\n\t<name>" + XmlText(v.name) + "</name>\n"
           "\t<submenu></submenu>\n\t" + kThunarMark + XmlText(v.name) + "</unique-id>\n"
           "\t<command>for f in %F; do " + XmlText(ShellCommand(v)) + "; done</command>\n"
           "\t<description></description>\n\t<range></range>\n\t<patterns>*</patterns>\n"
           "\t<audio-files/>\n\t<image-files/>\n\t<other-files/>\n\t<text-files/>\n"
           "\t<video-files/>\n</action>\n";
}

struct EntryFormat {
    const char* folder;  // below the data home
    const char* suffix;
    mode_t mode;
    const char* mark;
    std::string (*content)(const Verb&);
};

// Nautilus wants its scripts executable, Dolphin its service menus (against trojan files).
constexpr EntryFormat kFormats[] = {
    {"nautilus/scripts", "", 0700, kScriptMark, NautilusScript},
    {"kio/servicemenus", ".desktop", 0755, kKeyMark, DolphinMenu},
    {"nemo/actions", ".nemo_action", 0644, kKeyMark, NemoAction},
};

// ---- Files ----------------------------------------------------------------------------------

using standin::MakeFolders;
using standin::XdgHome;

// The bytes and permission bits of a regular file of at most `limit` bytes; false for
// anything else (a link, a folder, a missing file).
bool ReadRegular(const std::string& path, off_t limit, std::string* bytes, mode_t* mode) {
    const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    struct stat st;
    bool ok = fd >= 0 && fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size <= limit;
    if (ok) {
        bytes->resize(st.st_size);
        ok = read(fd, bytes->data(), bytes->size()) == st.st_size;
        *mode = st.st_mode & 07777;
    }
    if (fd >= 0)
        close(fd);
    return ok;
}

bool IsOurs(const std::string& path, const char* mark, std::string* bytes, mode_t* mode) {
    return ReadRegular(path, kMaxEntry, bytes, mode) &&
           bytes->find("\n" + std::string(mark) + "\n") != std::string::npos;
}

// Replaces the file at once, through a hidden file in the same folder that no file manager
// reads.
void WriteAtomically(const std::string& folder, const std::string& path,
                     const std::string& bytes, mode_t mode) {
    std::string temp = folder + "/.zapfile-XXXXXX";
    const int fd = mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        return;
    bool ok = write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size()) &&
              fsync(fd) == 0 && fchmod(fd, mode) == 0;
    ok = close(fd) == 0 && ok;
    if (!ok || rename(temp.c_str(), path.c_str()) != 0)
        unlink(temp.c_str());
}

// One file per verb in the format's folder; marked files of other names are removed.
void SyncEntries(const EntryFormat& f, const std::string& dataHome,
                 const std::vector<Verb>& verbs) {
    const std::string folder = dataHome + "/" + f.folder, suffix = f.suffix;
    if (!verbs.empty() && !MakeFolders(folder))
        return;
    std::set<std::string> wanted;
    std::string now;
    mode_t mode = 0;
    for (const Verb& v : verbs) {
        const std::string path = folder + "/" + v.name + suffix, bytes = f.content(v);
        wanted.insert(v.name + suffix);
        struct stat st;
        const bool there = lstat(path.c_str(), &st) == 0;
        if ((!there && errno == ENOENT) ||
            (there && IsOurs(path, f.mark, &now, &mode) && (now != bytes || mode != f.mode)))
            WriteAtomically(folder, path, bytes, f.mode);
    }
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr)
        return;
    while (const dirent* e = readdir(dir)) {
        const std::string name = e->d_name, path = folder + "/" + name;
        if (name[0] != '.' && name.size() >= suffix.size() &&
            name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0 &&
            wanted.count(name) == 0 && IsOurs(path, f.mark, &now, &mode))
            unlink(path.c_str());
    }
    closedir(dir);
}

// uca.xml with this program's actions replaced by `ours`, every other byte as it was; false
// for a text that is not a plain list of actions.
bool ReplaceOurActions(const std::string& text, const std::string& ours, std::string* out) {
    const size_t open = text.find("<actions>"), close = text.rfind("</actions>");
    if (open == std::string::npos || close == std::string::npos || close < open)
        return false;
    size_t at = open + 9;
    *out = text.substr(0, at);
    for (;;) {
        const size_t start = text.find_first_not_of(" \t\r\n", at);
        if (start == close)
            break;
        const size_t end = text.find("</action>", start);
        if (text.compare(start, 8, "<action>") != 0 || end > close ||
            text.find("<action>", start + 8) < end)
            return false;
        const size_t stop = end + 9;
        if (text.substr(start, stop - start).find(kThunarMark) == std::string::npos) {
            out->append(text, at, stop - at);
            at = stop;
        } else {  // ours goes with the line end written after it
            out->append(text, at, start - at);
            at = stop < close && text[stop] == '\n' ? stop + 1 : stop;
        }
    }
    out->append(text, at, close - at);
    *out += ours;
    out->append(text, close);
    return true;
}

void SyncThunar(const std::string& configHome, const std::vector<Verb>& verbs) {
    const std::string folder = configHome + "/Thunar", path = folder + "/uca.xml";
    std::string ours, text, changed;
    for (const Verb& v : verbs)
        ours += ThunarAction(v);
    mode_t mode = 0644;
    struct stat st;
    if (lstat(path.c_str(), &st) == 0) {
        if (!ReadRegular(path, kMaxThunarFile, &text, &mode))
            return;
    } else if (errno != ENOENT || ours.empty() || !MakeFolders(folder)) {
        return;
    } else {
        text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<actions>\n</actions>\n";
    }
    if (ReplaceOurActions(text, ours, &changed) && changed != text)
        WriteAtomically(folder, path, changed, mode);
}

}  // namespace

namespace standin {

void SyncFileManagerMenus() {
    std::vector<Verb> verbs;
    if (!ReadVerbs(&verbs))
        return;
    const std::string data = XdgHome("XDG_DATA_HOME", ".local/share");
    const std::string config = XdgHome("XDG_CONFIG_HOME", ".config");
    if (!data.empty())
        for (const EntryFormat& f : kFormats)
            SyncEntries(f, data, verbs);
    if (!config.empty())
        SyncThunar(config, verbs);
}

}  // namespace standin
