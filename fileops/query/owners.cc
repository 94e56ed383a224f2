#include "fileops/query/owners.h"

#include <grp.h>
#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "lib/estring.h"
#include "lib/fsname.h"

namespace {

// Names are bytes like file names, so they convert the same way: a name
// that is not UTF-8 still finds its number again.
Westring name_text(const char* bytes) { return DecodeFileName(bytes); }

Westring number_text(uint32_t id) { return Westring(IntToStr(static_cast<long>(id))); }

// Calls lookup(buffer, size) with a growing buffer until it stops failing
// with ERANGE; lookup returns the reentrant function's result.
template <class Lookup>
int with_buffer(long suggested, Lookup lookup) {
    size_t size = suggested > 0 ? static_cast<size_t>(suggested) : 1024;
    for (;;) {
        std::vector<char> buffer(size);
        int result = lookup(buffer.data(), buffer.size());
        if (result != ERANGE || size >= (1u << 24)) return result;
        size *= 2;
    }
}

struct CIdCache {
    std::mutex lock;
    std::map<uint32_t, Westring> names;
    std::map<std::string, int64_t> numbers;
};

CIdCache& user_cache() {
    static CIdCache cache;
    return cache;
}

CIdCache& group_cache() {
    static CIdCache cache;
    return cache;
}

Westring lookup_user_name(uid_t uid) {
    Westring name = number_text(uid);
    with_buffer(sysconf(_SC_GETPW_R_SIZE_MAX), [&](char* buffer, size_t size) {
        struct passwd record;
        struct passwd* found = nullptr;
        int result = getpwuid_r(uid, &record, buffer, size, &found);
        if (result == 0 && found) name = name_text(found->pw_name);
        return result;
    });
    return name;
}

Westring lookup_group_name(gid_t gid) {
    Westring name = number_text(gid);
    with_buffer(sysconf(_SC_GETGR_R_SIZE_MAX), [&](char* buffer, size_t size) {
        struct group record;
        struct group* found = nullptr;
        int result = getgrgid_r(gid, &record, buffer, size, &found);
        if (result == 0 && found) name = name_text(found->gr_name);
        return result;
    });
    return name;
}

int64_t lookup_user_number(const char* name) {
    int64_t id = -1;
    with_buffer(sysconf(_SC_GETPW_R_SIZE_MAX), [&](char* buffer, size_t size) {
        struct passwd record;
        struct passwd* found = nullptr;
        int result = getpwnam_r(name, &record, buffer, size, &found);
        if (result == 0 && found) id = found->pw_uid;
        return result;
    });
    return id;
}

int64_t lookup_group_number(const char* name) {
    int64_t id = -1;
    with_buffer(sysconf(_SC_GETGR_R_SIZE_MAX), [&](char* buffer, size_t size) {
        struct group record;
        struct group* found = nullptr;
        int result = getgrnam_r(name, &record, buffer, size, &found);
        if (result == 0 && found) id = found->gr_gid;
        return result;
    });
    return id;
}

// The cached name of id, looked up on first use. The look-up runs outside
// the lock, so a slow name service does not hold up other threads.
Westring cached_name(CIdCache& cache, uint32_t id, Westring (*lookup)(uint32_t)) {
    {
        std::lock_guard<std::mutex> hold(cache.lock);
        auto it = cache.names.find(id);
        if (it != cache.names.end()) return it->second;
    }
    Westring name = lookup(id);
    std::lock_guard<std::mutex> hold(cache.lock);
    return cache.names.emplace(id, name).first->second;
}

int64_t cached_number(CIdCache& cache, const Westring& name, int64_t (*lookup)(const char*)) {
    if (name.empty()) return -1;
    Estring bytes = EncodeFileName(name);
    std::string key(bytes.c_str());
    {
        std::lock_guard<std::mutex> hold(cache.lock);
        auto it = cache.numbers.find(key);
        if (it != cache.numbers.end()) return it->second;
    }
    int64_t id = lookup(bytes.c_str());
    std::lock_guard<std::mutex> hold(cache.lock);
    return cache.numbers.emplace(key, id).first->second;
}

Westring user_name_of(uint32_t id) { return lookup_user_name(static_cast<uid_t>(id)); }
Westring group_name_of(uint32_t id) { return lookup_group_name(static_cast<gid_t>(id)); }

}  // namespace

Westring UID2Str(uid_t uid) { return cached_name(user_cache(), uid, user_name_of); }
Westring GID2Str(gid_t gid) { return cached_name(group_cache(), gid, group_name_of); }
int64_t Str2UID(const Westring& name) { return cached_number(user_cache(), name, lookup_user_number); }
int64_t Str2GID(const Westring& name) { return cached_number(group_cache(), name, lookup_group_number); }
