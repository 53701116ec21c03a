#pragma once
// The state handlers share across clicks: the last listings, two scratch texts and the rename
// history. It lives from start-up to exit and is handed to every handler.

#include <memory>

#include "core/history/journal.h"
#include "core/names/name_list.h"
#include "core/text/text.h"

namespace velmora {

/// The names of a listing, shared with the list view or the run that made it: entry i is the
/// folder followed by name i when the listing holds full paths, else name i.
struct EntryListing {
    std::shared_ptr<const NameList> names;
    Text folder;  ///< empty when the listing holds bare names

    std::size_t size() const { return names ? names->size() : 0; }
    bool empty() const { return size() == 0; }
    Text operator[](std::size_t i) const { return folder + names->text(i); }
    void clear() { *this = {}; }
};

struct Session {
    /// The history lives in memory until start-up opens the one in the state folder.
    Session() { journal.openInMemory(); }

    EntryListing entryList;  ///< files of the last listing (names or full paths)
    EntryListing folderList;  ///< sub-folder names of the last listing of folders
    Text entryExtension;  ///< extension of the entry last examined by the loader
    Text lastChosenPath;  ///< the folder last chosen or derived from a drop
    Journal journal;  ///< every run that renamed something, to take back and redo
};

}  // namespace velmora
