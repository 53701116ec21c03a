#include "core/fs/listing.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <future>
#include <numeric>
#include <string_view>

#include "core/fs/folder_reader.h"
#include "core/fs/folder_walk.h"
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
void sortListing(NameList& names, EntryKind kind, ListingOrder order, Progress* progress, Reach reach) {
    const bool byPath = reach == Reach::Below && order != ListingOrder::AsFound;
    const bool byNumber = !byPath && order == ListingOrder::NumberAware && kind == EntryKind::Files;
    if (!byPath && !byNumber && order != ListingOrder::Natural) return;
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
                return byPath ? naturalPathLess(names.bytes(a), names.bytes(b))
                              : naturalLess(names.bytes(a), names.bytes(b));
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
bool forEachEntryOf(const Text& folder, EntryKind kind, Progress* progress, Visit visit, Reach reach) {
    const auto native = textToNative(folder);
    if (!native) return false;
    if (reach == Reach::Below) {
        ProgressThrottle throttle(progress);
        std::size_t seen = 0;
        walkBelow(*native, [&](const WalkedEntry& w) {
            throttle.tick(++seen);
            if (isFolder(w.folder, w.entry) != (kind == EntryKind::Folders)) return true;
            return visit(w.folder, w.path, w.entry->d_ino);
        });
        return true;
    }
    FolderReader reader(*native);
    if (!reader.isOpen()) return false;
    ProgressThrottle throttle(progress);
    std::size_t seen = 0;
    while (const dirent* e = reader.next()) {
        throttle.tick(++seen);
        if (isFolder(reader.fd(), e) != (kind == EntryKind::Folders)) continue;
        if (!visit(reader.fd(), std::string_view(e->d_name), e->d_ino)) break;
    }
    return true;
}

}  // namespace

NameList enumerateEntries(const Text& folder, EntryKind kind, ListingOrder order, Progress* progress, KeepNative keep,
                          Reach reach) {
    NameList names;
    bool sized = reach == Reach::Below;
    forEachEntryOf(
        folder, kind, progress,
        [&](int fd, std::string_view name, ino_t inode) {
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
                names.addWithNative(name, inode);
            else
                names.addNative(name, inode);
            return true;
        },
        reach);
    sortListing(names, kind, order, progress, reach);
    names.shrinkToFit();
    return names;
}

std::pair<NameList, NameList> enumerateBelow(const Text& folder) {
    std::pair<NameList, NameList> found;
    const auto native = textToNative(folder);
    if (!native) return found;
    walkBelow(*native, [&](const WalkedEntry& w) {
        (isFolder(w.folder, w.entry) ? found.second : found.first).addWithNative(w.path, w.entry->d_ino);
        return true;
    });
    found.first.shrinkToFit();
    found.second.shrinkToFit();
    return found;
}

bool listsTheSame(const Text& folder, EntryKind kind, const NameList& listed, Progress* progress, Reach reach) {
    if (!listed.keepsNatives()) return false;
    std::size_t i = 0;
    bool same = true;
    const bool read = forEachEntryOf(
        folder, kind, progress,
        [&](int, std::string_view name, ino_t inode) {
            same = i < listed.size() && listed.nativeBytes(i) == name && listed.inode(i) == inode;
            ++i;
            return same;
        },
        reach);
    return read && same && i == listed.size();
}

}  // namespace velmora
