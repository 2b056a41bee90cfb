// win32-linux/advapi32/registry_cache.h
// What a process has read from the registry, kept for its next calls while nothing has been
// committed since (Database::Unchanged, registry_watch.cpp): opening a key or reading a value
// that the process has read before then costs no transaction.
#ifndef ZAPFILE_STANDIN_ADVAPI32_REGISTRY_CACHE_H
#define ZAPFILE_STANDIN_ADVAPI32_REGISTRY_CACHE_H

#include <windows.h>

#include <string>
#include <string_view>
#include <unordered_map>

#include "advapi32/registry_store.h"

namespace standin::registry {

// What a call found: the key it opened, or a value's type and data, or why there was none.
struct CachedRead {
    LONG status = ERROR_SUCCESS;
    KeyId key = 0;
    DWORD type = 0;
    std::string data;
};

class ReadCache {
public:
    // What was found for `asked`, when the database is as it was then; else null.
    const CachedRead* Find(const Database& db, const std::string& asked) const;
    // Keeps what a read transaction found; after the transaction's Stamp succeeded.
    void Keep(const Database& db, std::string asked, CachedRead found);

private:
    uint64_t generation_ = 0;
    std::unordered_map<std::string, CachedRead> reads_;
};

// What was asked, as the cache tells it apart: names compared as the database compares them,
// the ASCII letters alone folded. A path below a key; a value's name in a key.
std::string AskedKey(KeyId from, const KeyPath& levels);
std::string AskedValue(KeyId key, std::string_view name);

}  // namespace standin::registry

#endif
