#pragma once
// Listing one folder's files or sub-folders from the disk.

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "core/fs/progress.h"
#include "core/names/name_list.h"
#include "core/text/encoding.h"
#include "core/text/number_aware_order.h"
#include "core/text/text.h"

namespace velmora {

enum class EntryKind { Files, Folders };
/// How deep a listing goes: the folder's own entries, or those of every folder below it too, each
/// named by its path relative to the folder (core/fs/folder_walk.h).
enum class Reach { Folder, Below };
enum class ListingOrder {
    AsFound,
    NumberAware,  ///< files only: numberAwareOrder
    Natural,  ///< files or folders: naturalCompare of the names
};
/// Whether the native names are kept beside the Text names (renaming needs them, showing not).
enum class KeepNative { Yes, No };

/// Lists the entries of folder (nothing below it): files are all entries that are not folders,
/// hidden ones included; sub-folders are all folders but "." and "..". While listing, progress
/// (when given) hears how far it came. An unreadable folder gives an empty list. The names come in one
/// compact list; with KeepNative::No only their text and inodes are kept (showing, and rows that
/// follow an entry renamed by another program, need no more), with
/// KeepNative::Yes also what renaming needs: the native names as they are, and the inodes.
/// Reach::Below lists the entries at every depth: as the walk finds them (ListingOrder::AsFound), or
/// in natural order of their paths (naturalPathLess) for any other order.
NameList enumerateEntries(const Text& folder, EntryKind kind, ListingOrder order, Progress* progress = nullptr,
                          KeepNative keep = KeepNative::Yes, Reach reach = Reach::Folder);

/// The files and the folders at every depth below folder as found, from one walk of it: what
/// enumerateEntries gives with ListingOrder::AsFound and Reach::Below for each kind.
std::pair<NameList, NameList> enumerateBelow(const Text& folder);

/// True when folder lists exactly the entries of kind in listed (a listing kept as found, with its
/// natives), in that order, under the same names and inodes: nothing was added, removed or renamed
/// since. Compares as it reads, holding no second listing.
bool listsTheSame(const Text& folder, EntryKind kind, const NameList& listed, Progress* progress = nullptr,
                  Reach reach = Reach::Folder);

/// Puts names listed as found in the order asked for entries of kind.
void sortListing(NameList& names, EntryKind kind, ListingOrder order, Progress* progress = nullptr,
                 Reach reach = Reach::Folder);

}  // namespace velmora
