// win32-linux/advapi32/registry_cache.cpp
#include "advapi32/registry_cache.h"

#include <cstring>

namespace standin::registry {
namespace {

// A process that reads many different values keeps the last ones only; a large value is
// read from the database each time.
constexpr size_t kMaxReads = 512;
constexpr size_t kMaxData = 4096;

std::string Asked(char kind, KeyId key, size_t room) {
    std::string asked(1 + sizeof key, kind);
    memcpy(&asked[1], &key, sizeof key);
    asked.reserve(asked.size() + room);
    return asked;
}

void AppendFolded(std::string* asked, std::string_view name) {
    for (const char c : name)
        *asked += c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

const CachedRead* ReadCache::Find(const Database& db, const std::string& asked) const {
    if (!db.Unchanged() || generation_ != db.Generation())
        return nullptr;
    const auto it = reads_.find(asked);
    return it == reads_.end() ? nullptr : &it->second;
}

void ReadCache::Keep(const Database& db, std::string asked, CachedRead found) {
    // Only answers that the database gave are kept, not its failures.
    if ((found.status != ERROR_SUCCESS && found.status != ERROR_FILE_NOT_FOUND &&
         found.status != ERROR_KEY_DELETED) ||
        found.data.size() > kMaxData)
        return;
    if (generation_ != db.Generation() || reads_.size() >= kMaxReads) {
        reads_.clear();
        generation_ = db.Generation();
    }
    reads_.insert_or_assign(std::move(asked), std::move(found));
}

std::string AskedKey(KeyId from, const KeyPath& levels) {
    std::string asked = Asked('k', from, 32);
    for (const std::string_view level : levels) {
        asked += '\\';  // a level holds none
        AppendFolded(&asked, level);
    }
    return asked;
}

std::string AskedValue(KeyId key, std::string_view name) {
    std::string asked = Asked('v', key, name.size());
    AppendFolded(&asked, name);
    return asked;
}

}  // namespace standin::registry
