#include "core/listing.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstring>

#include "core/natural_order.h"
#include "core/window.h"

namespace velmora {
namespace {

long long nowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

bool isFolder(DIR* dir, const dirent* e) {
    if (e->d_type == DT_DIR) return true;
    if (e->d_type != DT_UNKNOWN && e->d_type != DT_LNK) return false;
    struct stat st {};
    return fstatat(dirfd(dir), e->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

PumpThrottle::PumpThrottle(Window* window, std::size_t total)
    : window_(window), total_(total), started_(nowMs()), last_(started_) {}

PumpThrottle::~PumpThrottle() {
    if (window_ && progressShown_) window_->endProgress();
}

void PumpThrottle::tick(std::size_t done) {
    if (!window_ || (done & 63) != 0) return;
    const long long now = nowMs();
    if (now - last_ < 25) return;
    last_ = now;
    if (now - started_ > 500) {
        window_->showProgress(done, total_);
        progressShown_ = true;
    }
    window_->pumpMessages();
}

std::vector<ListedEntry> enumerateEntries(const Text& folder, EntryKind kind, ListingOrder order, Window* window,
                                          KeepNative keep) {
    std::vector<ListedEntry> entries;
    const auto native = textToNative(folder);
    if (!native) return entries;
    DIR* dir = opendir(native->empty() ? "." : native->c_str());
    if (!dir) return entries;
    PumpThrottle throttle(window);
    std::size_t seen = 0;
    while (const dirent* e = readdir(dir)) {
        throttle.tick(++seen);
        if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0) continue;
        if (isFolder(dir, e) != (kind == EntryKind::Folders)) continue;
        ListedEntry entry;
        Decoded decoded = nativeToText(e->d_name);
        entry.name = std::move(decoded.text);
        entry.exact = decoded.exact;
        entry.inode = e->d_ino;
        if (keep == KeepNative::Yes) entry.native = e->d_name;
        entries.push_back(std::move(entry));
    }
    closedir(dir);

    if (order == ListingOrder::NumberAware && kind == EntryKind::Files) {
        if (window) window->pumpMessages();  // sorting a large folder takes a while
        std::vector<ListedEntry> sorted;
        sorted.reserve(entries.size());
        const auto order =
            numberAwareOrder(entries.size(), [&](std::size_t i) -> const Text& { return entries[i].name; });
        for (std::size_t i : order) sorted.push_back(std::move(entries[i]));
        entries = std::move(sorted);
        if (window) window->pumpMessages();
    }
    if (order == ListingOrder::Natural) {
        std::sort(entries.begin(), entries.end(), [](const ListedEntry& a, const ListedEntry& b) {
            return naturalLess(a.name.bytes(), b.name.bytes());
        });
    }
    return entries;
}

}  // namespace velmora
