// packaging/windows/remove_verb.cpp
// The installer's helper, run when Zapfile is uninstalled: takes out the context-menu entry
// "Zapfile" that "Ie Ext" Register wrote, as Unregister would, but only where its command
// starts the installed zapfile.exe, and only when no other installation (a newer version that
// replaces this one) keeps that file. An entry that starts another copy of the program stays,
// also one in the same folder: the uninstall removes only the files it installed.
//
// Register writes below HKEY_CLASSES_ROOT, which lands in HKEY_CURRENT_USER\Software\Classes
// or in HKEY_LOCAL_MACHINE\Software\Classes (Wine: always the latter), so both are looked at.
// A key the user may not delete (the machine's, without an administrator) stays as it is.
// Nothing here fails the uninstall.
//
// It is a deferred action: its one input, CustomActionData, is the GUID of the component
// that holds zapfile.exe, which Windows Installer still has registered at that point.
// Everything is read and compared in UTF-16, whatever the code page of the path.
#include <windows.h>
#include <msi.h>
#include <msiquery.h>

#include <cwchar>

namespace {

// The keys of one class's entry below a Classes key, leaf first: the first holds the command.
// Each goes only when it has no subkeys left, as with Unregister: "*" keeps its "shell" key,
// which belongs to every file, and the program's own class goes once it is empty.
const wchar_t* const kAllFilesKeys[] = {L"*\\shell\\Zapfile\\command", L"*\\shell\\Zapfile", nullptr};
const wchar_t* const kOwnClassKeys[] = {L"Zapfile\\shell\\Zapfile\\command", L"Zapfile\\shell\\Zapfile",
                                        L"Zapfile\\shell", L"Zapfile", nullptr};
const wchar_t* const* const kClasses[] = {kAllFilesKeys, kOwnClassKeys};

// Room for a path of MAX_PATH characters and the command line around it.
constexpr DWORD kRoom = 2 * MAX_PATH;

// Whether a product other than szProduct has the component installed too: a newer version
// that is replacing this one (Windows tells this uninstall it is part of an upgrade, Wine
// does not), which keeps the program where it is.
bool UsedElsewhere(const wchar_t* szProduct, const wchar_t* szComponent) {
    wchar_t szClient[40] = L"";
    for (DWORD i = 0; MsiEnumClientsW(szComponent, i, szClient) == ERROR_SUCCESS; ++i)
        if (CompareStringOrdinal(szClient, -1, szProduct, -1, TRUE) != CSTR_EQUAL)
            return true;
    return false;
}

// The start of the command line that the installed program's Register writes: a double
// quote, the program's path, a double quote. Into szPrefix (kRoom characters); false when the
// component is not registered here.
bool CommandPrefix(const wchar_t* szProduct, const wchar_t* szComponent, wchar_t* szPrefix) {
    // The path is the one registered at installation; a key file that has gone since then
    // (ABSENT) is the same program, deleted by hand.
    DWORD cchPath = kRoom - 3;
    szPrefix[0] = L'"';
    const INSTALLSTATE state = MsiGetComponentPathW(szProduct, szComponent, szPrefix + 1, &cchPath);
    if ((state != INSTALLSTATE_LOCAL && state != INSTALLSTATE_ABSENT) || szPrefix[1] == L'\0')
        return false;
    wcscat(szPrefix, L"\"");
    return true;
}

enum class Entry { kAbsent, kOther, kOurs };

// Whose the command key is: ours when its default value is a REG_SZ command line that begins
// with szPrefix, in any case (as Windows compares paths). The closing quote in szPrefix keeps
// "...\zapfile.exe.old" and the like out.
Entry Owner(HKEY hClasses, const wchar_t* szCommandKey, const wchar_t* szPrefix) {
    HKEY hCommand = nullptr;
    if (RegOpenKeyExW(hClasses, szCommandKey, 0, KEY_QUERY_VALUE, &hCommand) != ERROR_SUCCESS)
        return Entry::kAbsent;
    wchar_t szCommand[kRoom] = L"";
    DWORD cb = sizeof szCommand - sizeof szCommand[0];
    DWORD dwType = 0;
    const LONG status = RegQueryValueExW(hCommand, nullptr, nullptr, &dwType,
                                         reinterpret_cast<BYTE*>(szCommand), &cb);
    RegCloseKey(hCommand);
    const int cchPrefix = static_cast<int>(wcslen(szPrefix));
    const bool bOurs = status == ERROR_SUCCESS && dwType == REG_SZ &&
                       static_cast<int>(wcslen(szCommand)) >= cchPrefix &&
                       CompareStringOrdinal(szCommand, cchPrefix, szPrefix, cchPrefix, TRUE) == CSTR_EQUAL;
    return bOurs ? Entry::kOurs : Entry::kOther;
}

// One line in the installer's log (msiexec /l*v): szWhat, or what became of the key szKey below
// the Classes key of szRoot. Windows Installer fills the template's fields in.
void Log(MSIHANDLE hInstall, const wchar_t* szWhat, const wchar_t* szRoot = nullptr,
         const wchar_t* szKey = nullptr) {
    PMSIHANDLE hRecord = MsiCreateRecord(3);
    MsiRecordSetStringW(hRecord, 0, szRoot == nullptr ? L"RemoveVerb: [1]"
                                                      : L"RemoveVerb: [2]\\Software\\Classes\\[3]: [1]");
    MsiRecordSetStringW(hRecord, 1, szWhat);
    MsiRecordSetStringW(hRecord, 2, szRoot);
    MsiRecordSetStringW(hRecord, 3, szKey);
    MsiProcessMessage(hInstall, INSTALLMESSAGE_INFO, hRecord);
}

}  // namespace

extern "C" __declspec(dllexport) UINT __stdcall RemoveVerb(MSIHANDLE hInstall) {
    wchar_t szProduct[40] = L"", szComponent[40] = L"", szPrefix[kRoom] = L"";
    DWORD cchProduct = 40, cchComponent = 40;
    if (MsiGetPropertyW(hInstall, L"ProductCode", szProduct, &cchProduct) != ERROR_SUCCESS ||
        MsiGetPropertyW(hInstall, L"CustomActionData", szComponent, &cchComponent) != ERROR_SUCCESS ||
        !CommandPrefix(szProduct, szComponent, szPrefix)) {
        Log(hInstall, L"the installed program is not known: every entry stays");
        return ERROR_SUCCESS;
    }
    if (UsedElsewhere(szProduct, szComponent)) {
        Log(hInstall, L"another installation keeps the program: every entry stays");
        return ERROR_SUCCESS;
    }
    const struct {
        HKEY hRoot;
        const wchar_t* szName;
    } roots[] = {{HKEY_CURRENT_USER, L"HKCU"}, {HKEY_LOCAL_MACHINE, L"HKLM"}};
    for (const auto& root : roots) {
        HKEY hClasses = nullptr;
        if (RegOpenKeyExW(root.hRoot, L"Software\\Classes", 0, KEY_READ, &hClasses) != ERROR_SUCCESS)
            continue;
        for (const wchar_t* const* keys : kClasses) {
            const Entry entry = Owner(hClasses, keys[0], szPrefix);
            if (entry == Entry::kOther)
                Log(hInstall, L"another program's, kept", root.szName, keys[0]);
            if (entry != Entry::kOurs)
                continue;
            for (const wchar_t* const* key = keys; *key != nullptr; ++key)
                Log(hInstall, RegDeleteKeyW(hClasses, *key) == ERROR_SUCCESS ? L"removed" : L"kept",
                    root.szName, *key);
        }
        RegCloseKey(hClasses);
    }
    return ERROR_SUCCESS;
}
