#pragma once
// The state handlers share across clicks: the last listings and two scratch texts. It lives from
// start-up to exit and is handed to every handler.

#include <utility>
#include <vector>

#include "core/text.h"

namespace velmora {

/// The renames of the last run, in the order they were made, so the run can be taken back.
struct LastRun {
    Text folder;
    std::vector<std::pair<Text, Text>> renamed;  ///< (old name, new name)
};

struct Session {
    std::vector<Text> entryList;   ///< files of the last listing (names or full paths)
    std::vector<Text> folderList;  ///< sub-folder names of the last listing of folders
    Text entryExtension;           ///< extension of the entry last examined by the loader
    Text lastChosenPath;           ///< the folder last chosen or derived from a drop
    LastRun lastRun;               ///< kept in memory only, replaced by every run
};

}  // namespace velmora
