// win32-linux/advapi32/registry_handles.cpp
// The registry's state in a process, and what the stand-in's tests may do to it.
#include "advapi32/registry_handles.h"

#include "advapi32/registry.h"

#include <pthread.h>

namespace standin::registry {
namespace {

// SQLite forbids carrying an open connection into a forked child: the database is closed
// before a fork, in the parent, and opened again by whichever process calls next. Handles
// hold only key ids, so they stay good on both sides.
void BeforeFork() {
    Registry& r = State();
    r.mutex.lock();
    r.db.Close();
}

void AfterFork() {
    State().mutex.unlock();
}

}  // namespace

Registry& State() {
    static Registry* const registry = [] {
        pthread_atfork(BeforeFork, AfterFork, AfterFork);
        return new Registry;
    }();
    return *registry;
}

LONG StartCall(Registry& r, HKEY hKey, KeyId* key, int* place) {
    LONG status = r.Resolve(hKey, key, place);
    if (status == ERROR_SUCCESS && (status = r.db.Open()) == ERROR_SUCCESS)
        status = r.InOpenDatabase(hKey);
    return status;
}

}  // namespace standin::registry

// ---- For the stand-in's tests ---------------------------------------------------------------

namespace standin {

std::string RegistryDatabasePath() {
    const std::string folder = registry::ConfigFolder();
    return folder.empty() ? folder : folder + "/registry.db";
}

void RegistryReset() {
    registry::Registry& r = registry::State();
    std::lock_guard<std::mutex> lock(r.mutex);
    r.db.Close();
    r.ForgetHandles();
    r.menusChecked = false;
    r.menusLockStuck = false;
}

void BeginRunKeys() {
    registry::Registry& r = registry::State();
    std::lock_guard<std::mutex> lock(r.mutex);
    r.inRun = true;
}

void CloseRunKeys() {
    registry::Registry& r = registry::State();
    std::lock_guard<std::mutex> lock(r.mutex);
    r.ForgetHandles(true);
    r.inRun = false;
}

}  // namespace standin
