#pragma once
// The user's own folders as the XDG base directory rules place them: a variable naming the
// folder, else its place in the home folder.

#include "core/text/encoding.h"

namespace velmora {

enum class UserFolder {
    Data,  ///< $XDG_DATA_HOME, else ~/.local/share
    State,  ///< $XDG_STATE_HOME, else ~/.local/state
    Cache,  ///< $XDG_CACHE_HOME, else ~/.cache
    Runtime,  ///< $XDG_RUNTIME_DIR; it has no place in the home folder
};

/// Where the home folder comes from when the folder's variable gives none.
enum class HomeFrom {
    AbsoluteHome,  ///< $HOME, only when it is an absolute path
    HomeOrAccount,  ///< $HOME when set, else the user's entry in the password database
};

/// The folder of that kind, as the variable or home gives it (a trailing separator kept). A
/// variable that is not an absolute path is ignored, as if unset. Empty when there is none.
NativeName userFolder(UserFolder kind, HomeFrom from = HomeFrom::AbsoluteHome);

}  // namespace velmora
