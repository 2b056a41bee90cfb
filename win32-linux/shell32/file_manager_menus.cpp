// win32-linux/shell32/file_manager_menus.cpp
//
// The Explorer shows every verb under HKEY_CLASSES_ROOT\*\shell in a file's context menu and
// runs its command with the file's path in place of %1. Here each verb becomes an entry in the
// per-user menus of four file managers, derived from the registry alone: a sync writes what
// the verbs call for and removes the entries of verbs that are gone.
//
// An entry is this program's only while it has the name this program gives the verb's entry
// and holds exactly the bytes written there last (kept in a record of their own). Anything
// else is the user's, whatever it holds: a copy under another name, an entry edited by hand.
// It is never changed or removed, and a verb whose entry name it takes has no entry in that
// file manager. Each entry that cannot be written is named on standard error.

#include <windows.h>

#include "kernel32/user_folders.h"
#include "shell32/file_manager_menus.h"
#include "shell32/menu_entries.h"
#include "shell32/menu_files.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace {

using namespace standin::menus;
using standin::MakeFolders;
using standin::XdgHome;

constexpr size_t kMaxThunarFile = 16 * 1024 * 1024;
constexpr char kThunar[] = "Thunar";
constexpr char kNewUca[] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<actions>\n</actions>\n";

void Report(const char* manager, const std::string& path, int err) {
    fprintf(stderr, "Menus: %s: %s: %s\n", manager, path.c_str(), Reason(err).c_str());
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

// 0 when the entry at `path` is this program's, or when nothing is there (ENOENT); else why
// it may not be touched. `bytes` is what the verb calls for now: a file that already holds
// exactly that (written before its record was kept) is taken as this program's too.
int EntryState(const Record& record, const std::string& name, const std::string& path,
               const std::string& bytes, std::string* now, mode_t* mode) {
    const int err = ReadRegular(path, kMaxEntry, now, mode);
    if (err != 0)
        return err == EFBIG || err == ELOOP || err == EINVAL || err == EISDIR ? kUsersFile : err;
    return record.Holds(name, *now) || (!bytes.empty() && *now == bytes) ? 0 : kUsersFile;
}

// One file per verb in the format's folder; this program's files of verbs that are gone are
// removed.
void SyncEntries(const EntryFormat& f, const std::string& dataHome,
                 const std::vector<Verb>& verbs) {
    Record record(f.id);
    const std::string folder = dataHome + "/" + f.folder;
    std::set<std::string> wanted;
    std::string now;
    mode_t mode = 0;
    for (const Verb& v : verbs) {
        const std::string name = v.name + f.suffix, path = folder + "/" + name;
        const std::string bytes = f.content(v);
        if (bytes.size() > kMaxEntry)
            continue;  // it would not be found again: no entry, and the old one goes
        wanted.insert(name);
        int err = EntryState(record, name, path, bytes, &now, &mode);
        if (err == 0 && (now != bytes || mode != f.mode) && (err = record.Writable()) == 0)
            err = WriteWhole(folder, path, bytes, f.mode, true);
        else if (err == ENOENT && (err = record.Writable()) == 0)
            err = !MakeFolders(folder) ? WritableFolder(folder)
                                       : WriteWhole(folder, path, bytes, f.mode, false);
        if (err == EEXIST)
            err = kUsersFile;
        if (err == 0)
            err = record.Keep(name, bytes);
        else if (err == kUsersFile)
            record.Forget(name);  // what stands there now is the user's
        if (err != 0)
            Report(f.manager, path, err);
    }
    const auto recorded = record.entries();
    for (const auto& [name, bytes] : recorded) {
        if (wanted.count(name) != 0)
            continue;
        const std::string path = folder + "/" + name;
        int err = EntryState(record, name, path, "", &now, &mode);
        if (err == 0 && unlink(path.c_str()) != 0)
            err = errno;
        if (err == 0 || err == ENOENT || err == kUsersFile)
            record.Forget(name);
        else
            Report(f.manager, path, err);
    }
}

// uca.xml with this program's actions replaced by those the verbs call for, every other
// byte as it was.
void SyncThunar(const std::string& configHome, const std::vector<Verb>& verbs) {
    Record record("thunar");
    const std::string folder = configHome + "/Thunar", path = folder + "/uca.xml";
    std::string ours, text, changed;
    std::vector<std::string> owned;
    for (const auto& [verb, action] : record.entries())
        owned.push_back(action);
    for (const Verb& v : verbs)
        ours += owned.emplace_back(ThunarAction(v));
    mode_t mode = 0644;
    int err = ReadRegular(path, kMaxThunarFile, &text, &mode);
    if (err == ENOENT && ours.empty())
        err = 0;
    else if (err == ENOENT && (err = record.Writable()) == 0)
        err = MakeFolders(folder) ? 0 : WritableFolder(folder);
    else if (err == 0)
        err = record.Writable();
    if (err == 0 && text.empty() && !ours.empty())
        text = kNewUca;
    if (err == 0 && !text.empty() && !ReplaceOurActions(text, owned, ours, &changed))
        err = kNotAList;
    if (err == 0 && changed.size() > kMaxThunarFile)
        err = EFBIG;
    if (err == 0 && changed != text)
        err = WriteWhole(folder, path, changed, mode, true);
    if (err != 0) {
        Report(kThunar, path, err);
        return;
    }
    std::set<std::string> wanted;
    for (const Verb& v : verbs) {
        wanted.insert(v.name);
        if ((err = record.Keep(v.name, ThunarAction(v))) != 0)
            Report(kThunar, path, err);
    }
    const auto recorded = record.entries();
    for (const auto& [verb, action] : recorded)
        if (wanted.count(verb) == 0)
            record.Forget(verb);
}

}  // namespace

namespace standin {

void SyncFileManagerMenus() {
    const menus::SyncLock lock;
    if (lock.error() != 0) {
        fprintf(stderr, "Menus: the menus are not changed: %s\n", Reason(lock.error()).c_str());
        return;
    }
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

bool FileManagersCanTake(const std::string& verb) {
    if (!UsableName(verb))
        return true;  // such a verb has no entry anywhere
    std::vector<std::string> reasons;
    const std::string data = XdgHome("XDG_DATA_HOME", ".local/share");
    const std::string config = XdgHome("XDG_CONFIG_HOME", ".config");
    for (const EntryFormat& f : kFormats) {
        const Record record(f.id);
        const std::string folder = data + "/" + f.folder, path = folder + "/" + verb + f.suffix;
        std::string now;
        mode_t mode = 0;
        int err = data.empty() ? ENOENT : record.Writable();
        if (err == 0)
            err = EntryState(record, verb + f.suffix, path, "", &now, &mode);
        if (err == 0 || err == ENOENT)
            err = WritableFolder(folder);
        if (err == 0)
            return true;
        reasons.push_back(std::string(f.manager) + ": " + path + ": " + Reason(err));
    }
    const Record record("thunar");
    const std::string folder = config + "/Thunar", path = folder + "/uca.xml";
    std::string text, unused;
    mode_t mode = 0;
    int err = config.empty() ? ENOENT : record.Writable();
    if (err == 0 && (err = ReadRegular(path, kMaxThunarFile, &text, &mode)) == ENOENT) {
        text = kNewUca;
        err = 0;
    }
    if (err == 0)
        err = WritableFolder(folder);
    if (err == 0 && !ReplaceOurActions(text, {}, "", &unused))
        err = kNotAList;
    if (err == 0)
        return true;
    reasons.push_back(std::string(kThunar) + ": " + path + ": " + Reason(err));
    for (const std::string& reason : reasons)
        fprintf(stderr, "Menus: %s\n", reason.c_str());
    return false;
}

}  // namespace standin
