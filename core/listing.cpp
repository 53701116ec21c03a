#include "core/listing.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <future>
#include <numeric>

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

void paintWhile(Window* window, const std::function<void()>& work) {
    if (!window) {
        work();
        return;
    }
    auto done = std::async(std::launch::async, work);
    while (done.wait_for(std::chrono::milliseconds(10)) != std::future_status::ready) window->pumpMessages();
    done.get();
}

// Sorting a large folder takes a while (a third of a second at a million names): on a thread of
// its own, over names that nothing else sees yet.
void sortListing(NameList& names, EntryKind kind, ListingOrder order, Window* window) {
    const bool byNumber = order == ListingOrder::NumberAware && kind == EntryKind::Files;
    if (!byNumber && order != ListingOrder::Natural) return;
    paintWhile(window, [&] {
        std::vector<std::uint32_t> sorted;
        if (byNumber) {
            const auto permutation =
                numberAwareOrderOfBytes(names.size(), [&](std::size_t i) { return names.bytes(i); });
            sorted.assign(permutation.begin(), permutation.end());
        } else {
            sorted.resize(names.size());
            std::iota(sorted.begin(), sorted.end(), std::uint32_t{0});
            std::stable_sort(sorted.begin(), sorted.end(), [&](std::uint32_t a, std::uint32_t b) {
                return naturalLess(names.bytes(a), names.bytes(b));
            });
        }
        if (sorted.empty()) return;
        NameList inOrder = names.permuted(sorted);
        names.swap(inOrder);
    });
}

namespace {

// Calls visit(dir, entry) for every entry of kind in folder, as readdir gives them, until visit
// returns false; false when the folder cannot be read.
template <typename Visit>
bool forEachEntryOf(const Text& folder, EntryKind kind, Window* window, Visit visit) {
    const auto native = textToNative(folder);
    if (!native) return false;
    DIR* dir = opendir(native->empty() ? "." : native->c_str());
    if (!dir) return false;
    PumpThrottle throttle(window);
    std::size_t seen = 0;
    while (const dirent* e = readdir(dir)) {
        throttle.tick(++seen);
        if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0) continue;
        if (isFolder(dir, e) != (kind == EntryKind::Folders)) continue;
        if (!visit(dir, e)) break;
    }
    closedir(dir);
    return true;
}

}  // namespace

NameList enumerateEntries(const Text& folder, EntryKind kind, ListingOrder order, Window* window, KeepNative keep) {
    NameList names;
    bool sized = false;
    forEachEntryOf(folder, kind, window, [&](DIR* dir, const dirent* e) {
        if (!sized) {
            // A folder's size on disk is about what its names take (a little more on ext4): room
            // for them up front spares the copies of growing, and what stays unwritten costs no
            // memory.
            sized = true;
            struct stat st {};
            if (fstat(dirfd(dir), &st) == 0 && st.st_size > 0) {
                const auto bytes = static_cast<std::size_t>(std::min<off_t>(st.st_size, off_t{1} << 30));
                const std::size_t most = bytes / 24;  // names of a dozen bytes or more, most of them
                names.reserve(most, bytes);
                if (keep == KeepNative::Yes) names.reserveNatives(most, bytes);
            }
        }
        if (keep == KeepNative::Yes)
            names.addWithNative(e->d_name, e->d_ino);
        else
            names.add(nativeToText(e->d_name).text);
        return true;
    });
    sortListing(names, kind, order, window);
    names.shrinkToFit();
    return names;
}

bool listsTheSame(const Text& folder, EntryKind kind, const NameList& listed, Window* window) {
    if (!listed.keepsNatives()) return false;
    std::size_t i = 0;
    bool same = true;
    const bool read = forEachEntryOf(folder, kind, window, [&](DIR*, const dirent* e) {
        same = i < listed.size() && listed.nativeBytes(i) == e->d_name && listed.inode(i) == e->d_ino;
        ++i;
        return same;
    });
    return read && same && i == listed.size();
}

}  // namespace velmora
