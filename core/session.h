#pragma once
// The state handlers share across clicks: the last listings, two scratch texts and the rename
// history. It lives from start-up to exit and is handed to every handler.

#include <vector>

#include "core/journal.h"
#include "core/text.h"

namespace velmora {

struct Session {
    /// The history lives in memory until start-up opens the one in the state folder.
    Session() { journal.openInMemory(); }

    std::vector<Text> entryList;  ///< files of the last listing (names or full paths)
    std::vector<Text> folderList;  ///< sub-folder names of the last listing of folders
    Text entryExtension;  ///< extension of the entry last examined by the loader
    Text lastChosenPath;  ///< the folder last chosen or derived from a drop
    Journal journal;  ///< every run that renamed something, to take back and redo
};

}  // namespace velmora
