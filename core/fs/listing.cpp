#include "core/fs/listing.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <future>
#include <numeric>

#include "core/fs/folder_reader.h"
#include "core/text/natural_order.h"

namespace velmora {
namespace {

bool isFolder(int folder, const dirent* e) {
    if (e->d_type == DT_DIR) return true;
    if (e->d_type != DT_UNKNOWN && e->d_type != DT_LNK) return false;
    struct stat st {};
    return fstatat(folder, e->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

// Sorting a large folder takes a while (a third of a second at a million names): on a thread of
// its own, over names that nothing else sees yet.
void sortListing(NameList& names, EntryKind kind, ListingOrder order, Progress* progress) {
    const bool byNumber = order == ListingOrder::NumberAware && kind == EntryKind::Files;
    if (!byNumber && order != ListingOrder::Natural) return;
    runAside(progress, [&] {
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

// Calls visit(fd, entry) for every entry of kind in folder (fd: the folder's), as the disk lists
// them, until visit returns false; false when the folder cannot be read.
template <typename Visit>
bool forEachEntryOf(const Text& folder, EntryKind kind, Progress* progress, Visit visit) {
    const auto native = textToNative(folder);
    if (!native) return false;
    FolderReader reader(*native);
    if (!reader.isOpen()) return false;
    ProgressThrottle throttle(progress);
    std::size_t seen = 0;
    while (const dirent* e = reader.next()) {
        throttle.tick(++seen);
        if (isFolder(reader.fd(), e) != (kind == EntryKind::Folders)) continue;
        if (!visit(reader.fd(), e)) break;
    }
    return true;
}

}  // namespace

NameList enumerateEntries(const Text& folder, EntryKind kind, ListingOrder order, Progress* progress, KeepNative keep) {
    NameList names;
    bool sized = false;
    forEachEntryOf(folder, kind, progress, [&](int fd, const dirent* e) {
        if (!sized) {
            // A folder's size on disk is about what its names take (a little more on ext4): room
            // for them up front spares the copies of growing, and what stays unwritten costs no
            // memory.
            sized = true;
            struct stat st {};
            if (fstat(fd, &st) == 0 && st.st_size > 0) {
                const auto bytes = static_cast<std::size_t>(std::min<off_t>(st.st_size, off_t{1} << 30));
                const std::size_t most = bytes / 24;  // names of a dozen bytes or more, most of them
                names.reserve(most, bytes);
                if (keep == KeepNative::Yes) names.reserveNatives(most, bytes);
            }
        }
        if (keep == KeepNative::Yes)
            names.addWithNative(e->d_name, e->d_ino);
        else
            names.addNative(e->d_name, e->d_ino);
        return true;
    });
    sortListing(names, kind, order, progress);
    names.shrinkToFit();
    return names;
}

bool listsTheSame(const Text& folder, EntryKind kind, const NameList& listed, Progress* progress) {
    if (!listed.keepsNatives()) return false;
    std::size_t i = 0;
    bool same = true;
    const bool read = forEachEntryOf(folder, kind, progress, [&](int, const dirent* e) {
        same = i < listed.size() && listed.nativeBytes(i) == e->d_name && listed.inode(i) == e->d_ino;
        ++i;
        return same;
    });
    return read && same && i == listed.size();
}

}  // namespace velmora
