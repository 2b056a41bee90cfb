// win32-linux/shell32/file_manager_menus.cpp
//
// The Explorer shows every verb under HKEY_CLASSES_ROOT\*\shell in a file's context menu and
// runs its command with the file's path in place of %1. Here each verb becomes an entry in the
// per-user menus of four file managers, derived from the registry alone: a sync writes what
// the verbs call for and removes the entries of verbs that are gone.
//
// Entries carry a mark: a file without it belongs to the user and is never touched, and a
// verb whose entry name is taken by such a file has no entry in that file manager.

#include <windows.h>

#include "kernel32/user_folders.h"
#include "shell32/file_manager_menus.h"
#include "shell32/menu_entries.h"

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

using namespace standin::menus;

constexpr off_t kMaxEntry = 64 * 1024;
constexpr off_t kMaxThunarFile = 16 * 1024 * 1024;

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
