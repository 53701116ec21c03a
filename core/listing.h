#pragma once
// Listing one folder's files or sub-folders from the disk.

#include <cstdint>
#include <functional>
#include <vector>

#include "core/encoding.h"
#include "core/name_list.h"
#include "core/text.h"

namespace velmora {

class Window;

enum class EntryKind { Files, Folders };
enum class ListingOrder {
    AsFound,
    NumberAware,  ///< files only: numberAwareOrder
    Natural,  ///< files or folders: naturalCompare of the names
};
/// Whether the native names are kept beside the Text names (renaming needs them, showing not).
enum class KeepNative { Yes, No };

/// Lists the entries of folder (nothing below it): files are all entries that are not folders,
/// hidden ones included; sub-folders are all folders but "." and "..". While listing, the window
/// (when given) keeps painting. An unreadable folder gives an empty list. The names come in one
/// compact list; with KeepNative::No only their text is kept (showing needs no more), with
/// KeepNative::Yes also what renaming needs: the native names as they are, and the inodes.
NameList enumerateEntries(const Text& folder, EntryKind kind, ListingOrder order, Window* window = nullptr,
                          KeepNative keep = KeepNative::Yes);

/// True when folder lists exactly the entries of kind in listed (a listing kept as found, with its
/// natives), in that order, under the same names and inodes: nothing was added, removed or renamed
/// since. Compares as it reads, holding no second listing.
bool listsTheSame(const Text& folder, EntryKind kind, const NameList& listed, Window* window = nullptr);

/// Puts names listed as found in the order asked for entries of kind.
void sortListing(NameList& names, EntryKind kind, ListingOrder order, Window* window = nullptr);

/// Orders names as if a leading number of one or two digits had three: 1, 2, 10, 100, then 1000
/// as text; 01 comes before 1. Returns the permutation (indices into names).
std::vector<std::size_t> numberAwareOrder(const std::vector<Text>& names);
std::vector<std::size_t> numberAwareOrder(std::size_t count, const std::function<const Text&(std::size_t)>& nameAt);
std::vector<std::size_t> numberAwareOrderOfBytes(std::size_t count,
                                                 const std::function<std::string_view(std::size_t)>& nameAt);

/// Runs work on a thread of its own while window (when given; else work runs here) keeps painting,
/// and returns once it is done. work must touch nothing that the window's events may touch.
void paintWhile(Window* window, const std::function<void()>& work);

/// Keeps the window painting during long work without pumping on every entry.
class PumpThrottle {
public:
    explicit PumpThrottle(Window* window, std::size_t total = 0);
    ~PumpThrottle();
    PumpThrottle(const PumpThrottle&) = delete;
    PumpThrottle& operator=(const PumpThrottle&) = delete;
    void tick(std::size_t done);

private:
    Window* window_;
    std::size_t total_;
    long long started_;
    long long last_;
    bool progressShown_ = false;
};

}  // namespace velmora
