// win32-linux/advapi32/registry_handles.cpp
#include "advapi32/registry_handles.h"

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
    const LONG status = r.Resolve(hKey, key, place);
    return status == ERROR_SUCCESS ? r.db.Open() : status;
}

}  // namespace standin::registry
