// bench/registry_ops.cpp
// registry_ops READS WRITES VALUES...: times the registry calls, per operation, in one
// process. The same source is built against the Linux stand-in and for Windows, so that both
// registries are measured alike. Below HKEY_CURRENT_USER\Software\ZapfileBench it prints
// (microseconds per operation, one figure a line):
//   read R        RegOpenKeyExA + RegQueryValueExA + RegCloseKey of an unchanged text value,
//                 READS times, after the process has read it once;
//   enum N S      one RegEnumValueA step over a key of N DWORD values (for each VALUES N),
//                 the whole key enumerated once;
//   write W       RegSetValueExA of a new DWORD value, WRITES times, into a key emptied first.
// The keys are filled once, untimed, and kept for the next run. Exits 1 when a call fails or
// an enumeration does not find its key's values.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

const char kRoot[] = "Software\\ZapfileBench";

bool Check(LONG status, const char* what) {
    if (status == ERROR_SUCCESS)
        return true;
    std::fprintf(stderr, "registry_ops: %s failed with %ld\n", what, static_cast<long>(status));
    return false;
}

double MicrosecondsEach(Clock::time_point start, unsigned long count) {
    const std::chrono::duration<double, std::micro> spent = Clock::now() - start;
    return count == 0 ? 0.0 : spent.count() / count;
}

bool ReadSetting(char* data, DWORD size) {
    HKEY key = nullptr;
    DWORD type = 0;
    if (!Check(RegOpenKeyExA(HKEY_CURRENT_USER, kRoot, 0, KEY_QUERY_VALUE, &key), "RegOpenKeyExA"))
        return false;
    const LONG status =
        RegQueryValueExA(key, "bAskUser", nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    return Check(status, "RegQueryValueExA") && Check(RegCloseKey(key), "RegCloseKey");
}

// The key of `count` values v0...: filled unless its last value is there already.
bool FillValues(HKEY root, unsigned long count, HKEY* out) {
    const std::string name = "Values" + std::to_string(count);
    if (!Check(RegCreateKeyA(root, name.c_str(), out), "RegCreateKeyA"))
        return false;
    const std::string last = "v" + std::to_string(count - 1);
    if (RegQueryValueExA(*out, last.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS)
        return true;
    for (DWORD i = 0; i < count; ++i) {
        const std::string value = "v" + std::to_string(i);
        if (!Check(RegSetValueExA(*out, value.c_str(), 0, REG_DWORD,
                                  reinterpret_cast<const BYTE*>(&i), sizeof i),
                   "RegSetValueExA (filling)"))
            return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: registry_ops READS WRITES [VALUES...]\n");
        return 2;
    }
    const unsigned long reads = std::strtoul(argv[1], nullptr, 10);
    const unsigned long writes = std::strtoul(argv[2], nullptr, 10);
    std::vector<unsigned long> sizes;
    for (int i = 3; i < argc; ++i) {
        sizes.push_back(std::strtoul(argv[i], nullptr, 10));
        if (sizes.back() == 0) {
            std::fprintf(stderr, "registry_ops: a key of no values cannot be enumerated\n");
            return 2;
        }
    }

    HKEY root = nullptr;
    if (!Check(RegCreateKeyA(HKEY_CURRENT_USER, kRoot, &root), "RegCreateKeyA"))
        return 1;
    // The value read is written only when it is not there yet: the reads find it unchanged.
    char data[16] = "";
    DWORD size = sizeof data;
    if (RegQueryValueExA(root, "bAskUser", nullptr, nullptr, reinterpret_cast<BYTE*>(data),
                         &size) != ERROR_SUCCESS &&
        !Check(RegSetValueExA(root, "bAskUser", 0, REG_SZ, reinterpret_cast<const BYTE*>("0"), 2),
               "RegSetValueExA"))
        return 1;
    std::vector<HKEY> filled(sizes.size());
    for (size_t k = 0; k < sizes.size(); ++k)
        if (!FillValues(root, sizes[k], &filled[k]))
            return 1;

    if (!ReadSetting(data, sizeof data))
        return 1;
    Clock::time_point start = Clock::now();
    for (unsigned long i = 0; i < reads; ++i)
        if (!ReadSetting(data, sizeof data))
            return 1;
    std::printf("read %.2f\n", MicrosecondsEach(start, reads));

    for (size_t k = 0; k < sizes.size(); ++k) {
        char name[32];
        DWORD value = 0;
        unsigned long found = 0;
        start = Clock::now();
        for (;; ++found) {
            DWORD cch = sizeof name, cb = sizeof value, type = 0;
            const LONG status = RegEnumValueA(filled[k], found, name, &cch, nullptr, &type,
                                              reinterpret_cast<BYTE*>(&value), &cb);
            if (status == ERROR_NO_MORE_ITEMS)
                break;
            if (!Check(status, "RegEnumValueA"))
                return 1;
        }
        const double each = MicrosecondsEach(start, found + 1);
        if (found != sizes[k]) {
            std::fprintf(stderr, "registry_ops: enumerated %lu values of %lu\n", found, sizes[k]);
            return 1;
        }
        std::printf("enum %lu %.2f\n", sizes[k], each);
    }

    HKEY target = nullptr;
    RegDeleteKeyA(root, "Writes");
    if (!Check(RegCreateKeyA(root, "Writes", &target), "RegCreateKeyA"))
        return 1;
    std::vector<std::string> names;
    for (unsigned long i = 0; i < writes; ++i)
        names.push_back("w" + std::to_string(i));
    start = Clock::now();
    for (DWORD i = 0; i < writes; ++i)
        if (!Check(RegSetValueExA(target, names[i].c_str(), 0, REG_DWORD,
                                  reinterpret_cast<const BYTE*>(&i), sizeof i),
                   "RegSetValueExA"))
            return 1;
    std::printf("write %.2f\n", MicrosecondsEach(start, writes));
    return 0;
}
