#pragma once
// The state handlers share across clicks: the last listings and two scratch texts. It lives from
// start-up to exit and is handed to every handler.

#include <vector>

#include "core/text.h"

namespace velmora {

struct Session {
    std::vector<Text> entryList;   ///< files of the last listing (names or full paths)
    std::vector<Text> folderList;  ///< sub-folder names of the last listing of folders
    Text entryExtension;           ///< extension of the entry last examined by the loader
    Text lastChosenPath;           ///< the folder last chosen or derived from a drop
};

}  // namespace velmora
