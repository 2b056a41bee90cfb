// win32-linux/shell32/file_manager_menus.cpp
//
// The Explorer shows every verb under HKEY_CLASSES_ROOT\*\shell in a file's context menu and
// runs its command with the file's path in place of %1. Here each verb becomes an entry in the
// per-user menus of four file managers, derived from the registry alone: a sync writes what
// the verbs call for and removes the entries of verbs that are gone.
//
// An entry is this program's only while it has the name this program gives the verb's entry,
// holds exactly the bytes written there last (kept in a record of their own) and has the
// permissions they were written with. Anything else is the user's, whatever it holds: a copy
// under another name, an entry edited by hand, one whose permissions the user changed. It is
// never changed or removed, and a verb whose entry name it takes has no entry in that file
// manager. Each entry that cannot be written or removed is named on standard error.

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

LONG StatusOfError(int err) {
    switch (err) {
    case 0:
        return ERROR_SUCCESS;
    case EROFS:
        return ERROR_WRITE_PROTECT;
    case ENOSPC:
    case EDQUOT:
        return ERROR_DISK_FULL;
    case kLockHeld:
        return ERROR_LOCK_VIOLATION;
    case kNotUtf8:
    case kTooLarge:
        return ERROR_INVALID_DATA;
    default:
        return ERROR_ACCESS_DENIED;
    }
}

// What a sync found for the verb asked about, and whether everything of ours is in step.
struct Outcome {
    std::string verb;
    bool complete = true;
    bool wanted = false;  // the verb has a command that entries carry
    int placed = 0;       // file managers whose entry for the verb holds what it calls for
    int stale = 0;        // why an entry of ours for the verb was left as it was (0: none)
    int missing = 0;      // why a file manager has no entry for the verb (0: none)

    // An entry of ours for `name` that could not be changed or removed.
    void Stale(const std::string& name, int err) {
        complete = false;
        if (name == verb && stale == 0)
            stale = err;
    }
    void Missing(const std::string& name, int err) {
        if (name == verb && missing == 0)
            missing = err;
    }
};

// ERROR_FILE_NOT_FOUND when the verb has no command (also when another process deletes it
// meanwhile: its own sync follows); the text ends at its first NUL.
LONG ReadCommand(HKEY shell, const std::string& verb, std::string* line) {
    HKEY h = nullptr;
    LONG status = RegOpenKeyExA(shell, (verb + "\\command").c_str(), 0, KEY_READ, &h);
    if (status == ERROR_KEY_DELETED)
        status = ERROR_FILE_NOT_FOUND;
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
    return status == ERROR_KEY_DELETED ? ERROR_FILE_NOT_FOUND : status;
}

// The usable verbs in the registry's order; ERROR_SUCCESS, or why the registry could not be
// read.
LONG ReadVerbs(std::vector<Verb>* verbs) {
    HKEY shell = nullptr;
    LONG status = RegOpenKeyExA(HKEY_CLASSES_ROOT, "*\\shell", 0, KEY_READ, &shell);
    if (status != ERROR_SUCCESS)
        return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD cch = sizeof name;
        status = RegEnumKeyExA(shell, i, name, &cch, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_KEY_DELETED)  // the verbs' key itself, with every verb
            status = ERROR_NO_MORE_ITEMS;
        if (status != ERROR_SUCCESS)
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
    return status == ERROR_NO_MORE_ITEMS ? ERROR_SUCCESS : status;
}

// 0 when the entry at `path` is this program's, or when nothing is there (ENOENT); else why
// it may not be touched. `bytes` is what the verb calls for now: a file that already holds
// exactly that with the format's permissions (written before its record was kept) is taken as
// this program's too.
int EntryState(const Record& record, const std::string& name, const std::string& path,
               const std::string& bytes, mode_t wantedMode, std::string* now) {
    mode_t mode = 0;
    const int err = ReadRegular(path, kMaxEntry, now, &mode);
    if (err != 0)
        return err == EFBIG || err == ELOOP || err == EINVAL || err == EISDIR ? kUsersFile : err;
    if (mode != wantedMode)
        return kUsersFile;
    return record.Holds(name, *now) || (!bytes.empty() && *now == bytes) ? 0 : kUsersFile;
}

// One file per verb in the format's folder; this program's files of verbs that are gone are
// removed.
void SyncEntries(const EntryFormat& f, const std::string& dataHome,
                 const std::vector<Verb>& verbs, Outcome* out) {
    Record record(f.id);
    const std::string folder = dataHome + "/" + f.folder;
    std::set<std::string> wanted;
    std::string now;
    for (const Verb& v : verbs) {
        const std::string name = v.name + f.suffix, path = folder + "/" + name;
        const std::string bytes = f.content(v);
        // An entry too large would not be found again, one not UTF-8 would not be read: the
        // verb gets none here, and its old one goes.
        int err = bytes.size() > kMaxEntry ? kTooLarge : f.utf8 && !IsUtf8(bytes) ? kNotUtf8 : 0;
        if (err == 0) {
            wanted.insert(name);
            err = EntryState(record, name, path, bytes, f.mode, &now);
        }
        const bool ours = err == 0;
        if (err == 0 && now != bytes) {
            if ((err = record.Intend(name, bytes)) == 0)
                err = WriteWhole(folder, path, bytes, f.mode, true);
        } else if (err == ENOENT) {
            if ((err = record.Intend(name, bytes)) == 0)
                err = MakeFolders(folder) ? WriteWhole(folder, path, bytes, f.mode, false)
                                          : WritableFolder(folder);
        }
        if (err == EEXIST)
            err = kUsersFile;
        if (err == kUsersFile)
            record.Forget(name);  // what stands there now is the user's
        if (err == 0) {
            out->placed += v.name == out->verb;
            if ((err = record.Keep(name, bytes)) != 0)
                out->Stale(v.name, err);  // written, but it would not be known as ours again
        } else if (ours) {
            out->Stale(v.name, err);
        } else {
            out->Missing(v.name, err);
        }
        if (err != 0)
            Report(f.manager, path, err);
    }
    const auto recorded = record.entries();
    for (const auto& [name, bytes] : recorded) {
        if (!wanted.insert(name).second)
            continue;  // wanted, or seen already
        const std::string path = folder + "/" + name;
        int err = EntryState(record, name, path, "", f.mode, &now);
        if (err == 0 && unlink(path.c_str()) != 0)
            err = errno;
        if (err == 0 || err == ENOENT || err == kUsersFile) {
            record.Forget(name);
        } else {
            out->Stale(name.substr(0, name.size() - strlen(f.suffix)), err);
            Report(f.manager, path, err);
        }
    }
}

// uca.xml with this program's actions replaced by those the verbs call for, every other
// byte as it was.
void SyncThunar(const std::string& configHome, const std::vector<Verb>& verbs, Outcome* out) {
    Record record("thunar");
    const std::string folder = configHome + "/Thunar", path = folder + "/uca.xml";
    std::string ours, text, changed;
    std::vector<std::string> owned;
    for (const auto& [verb, action] : record.entries())
        owned.push_back(action);
    std::vector<const Verb*> carried;
    for (const Verb& v : verbs) {
        const std::string action = ThunarAction(v);
        if (!IsUtf8(action)) {
            out->Missing(v.name, kNotUtf8);
            Report(kThunar, path, kNotUtf8);
            continue;
        }
        carried.push_back(&v);
        ours += owned.emplace_back(action);
    }
    mode_t mode = 0644;
    int err = ReadRegular(path, kMaxThunarFile, &text, &mode);
    const bool read = err == 0;
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
    for (const Verb* v : carried)
        if (err == 0 && changed != text)
            err = record.Intend(v->name, ThunarAction(*v));
    if (err == 0 && changed != text)
        err = WriteWhole(folder, path, changed, mode, true);
    std::set<std::string> wanted;
    for (const Verb* v : carried) {
        wanted.insert(v->name);
        if (err == 0 || (read && text.find(ThunarAction(*v)) != std::string::npos))
            out->placed += v->name == out->verb;
        else
            out->Missing(v->name, err);
    }
    if (err != 0) {
        Report(kThunar, path, err);
        // An action of ours that the file still holds, for a verb that is gone or now calls
        // for another, is out of step. In a file that cannot be read, none is known.
        for (const auto& [verb, action] : record.entries()) {
            bool current = false;
            for (const Verb* v : carried)
                current = current || (v->name == verb && ThunarAction(*v) == action);
            if (read && !current && text.find(action) != std::string::npos)
                out->Stale(verb, err);
        }
        return;
    }
    for (const Verb* v : carried)
        if ((err = record.Keep(v->name, ThunarAction(*v))) != 0) {
            out->Stale(v->name, err);
            Report(kThunar, path, err);
        }
    const auto recorded = record.entries();
    for (const auto& [verb, action] : recorded)
        if (wanted.count(verb) == 0)
            record.Forget(verb);
}

}  // namespace

namespace standin {

MenusLock::MenusLock(bool wait) : lock_(new menus::SyncLock(wait)), wait_(wait) {}
MenusLock::~MenusLock() = default;

LONG MenusLock::status() const {
    const int err = lock_->error();
    // A lock only tried was held by a sync that is running now: nothing to report.
    if (err != 0 && (wait_ || err != kLockHeld))
        fprintf(stderr, "Menus: the menus are not changed: %s\n", Reason(err).c_str());
    return StatusOfError(err);
}

MenusSynced SyncFileManagerMenus(const std::string& verb) {
    MenusSynced synced;
    std::vector<Verb> verbs;
    if ((synced.verbStatus = ReadVerbs(&verbs)) != ERROR_SUCCESS) {
        synced.complete = false;
        return synced;
    }
    Outcome out{verb};
    for (const Verb& v : verbs)
        out.wanted = out.wanted || v.name == verb;
    const std::string data = XdgHome("XDG_DATA_HOME", ".local/share");
    const std::string config = XdgHome("XDG_CONFIG_HOME", ".config");
    if (!data.empty())
        for (const EntryFormat& f : kFormats)
            SyncEntries(f, data, verbs, &out);
    if (!config.empty())
        SyncThunar(config, verbs, &out);
    synced.complete = out.complete;
    if (out.stale != 0)
        synced.verbStatus = StatusOfError(out.stale);
    else if (out.wanted && out.placed == 0)
        synced.verbStatus = StatusOfError(out.missing != 0 ? out.missing : EACCES);
    return synced;
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
        int err = data.empty() ? ENOENT : record.Writable();
        if (err == 0)
            err = EntryState(record, verb + f.suffix, path, "", f.mode, &now);
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

bool FileManagersCanCarry(const std::string& verb, DWORD type, std::string_view command) {
    std::vector<std::string> args;
    const char* why = nullptr;
    std::string reason;
    if (!UsableName(verb))
        reason = "its name cannot name a file manager's entry";
    else if (type != REG_SZ)
        reason = "its command is not REG_SZ text";
    else if (!ParseCommand(command.substr(0, command.find('\0')), &args, &why))
        reason = std::string("its command cannot be carried: ") + why;
    if (reason.empty())
        return true;
    fprintf(stderr, "Menus: the verb \"%s\" cannot have entries: %s\n", verb.c_str(),
            reason.c_str());
    return false;
}

}  // namespace standin
