#include "core/meta/file_facts.h"

#include <sys/stat.h>

#include <ctime>

namespace velmora {

std::optional<Moment> momentFrom(std::string_view exif) {
    // Digits at fixed places: yyyy?MM?dd?HH?mm?ss
    if (exif.size() < 19) return std::nullopt;
    const auto number = [&](std::size_t at, std::size_t n) {
        int v = 0;
        for (std::size_t i = at; i < at + n; ++i) {
            if (exif[i] < '0' || exif[i] > '9') return -1;
            v = v * 10 + (exif[i] - '0');
        }
        return v;
    };
    const Moment m{number(0, 4), number(5, 2), number(8, 2), number(11, 2), number(14, 2), number(17, 2)};
    if (m.year < 1 || m.month < 1 || m.month > 12 || m.day < 1 || m.day > 31 || m.hour < 0 || m.hour > 23 ||
        m.minute < 0 || m.minute > 59 || m.second < 0 || m.second > 60)
        return std::nullopt;
    return m;
}

std::optional<FileFacts> FactCache::find(const Key& key) const {
    const std::lock_guard<std::mutex> hold(lock_);
    const auto found = facts_.find(key);
    if (found == facts_.end()) return std::nullopt;
    return found->second;
}

void FactCache::put(const Key& key, const FileFacts& facts) {
    const std::lock_guard<std::mutex> hold(lock_);
    facts_[key] = facts;
}

std::size_t FactCache::size() const {
    const std::lock_guard<std::mutex> hold(lock_);
    return facts_.size();
}

FactCache& sharedFactCache() {
    static FactCache cache;
    return cache;
}

FileFacts factsOf(const NativeName& path, unsigned groups, FactCache& cache) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return {};
    const FactCache::Key key{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
                             static_cast<std::uint64_t>(st.st_size),
                             static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
    FileFacts facts;
    if (auto known = cache.find(key)) {
        facts = std::move(*known);
        if ((facts.read & groups) == groups) return facts;
    } else {
        facts.found = true;
        std::tm local{};
        localtime_r(&st.st_mtim.tv_sec, &local);
        facts.modified = {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                          local.tm_hour,        local.tm_min,     local.tm_sec};
    }
    const unsigned missing = groups & ~facts.read;
    if (missing & PhotoFacts) readPhotoFacts(path, facts);
    if (missing & AudioFacts) readAudioFacts(path, facts);
    facts.read |= groups;
    cache.put(key, facts);
    return facts;
}

}  // namespace velmora
