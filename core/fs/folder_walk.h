#pragma once
// Walking a folder and every folder below it: the entries at every depth, each named by its path
// relative to the folder ("第1季/第1集.mp4"). Folders reached through symbolic links are not
// entered, nor folders of another file system mounted below; each folder is opened from its
// parent's descriptor without following links, so another program swapping a link in on the way
// cannot lead the walk elsewhere.

#include <dirent.h>

#include <functional>
#include <string>

namespace velmora {

/// One entry met on the walk.
struct WalkedEntry {
    const std::string& path;  ///< relative to the walked folder, '/' between the parts
    const dirent* entry;
    int folder;  ///< descriptor of the folder holding it, for looking it up
};

/// Calls visit for every entry of the folder open at root and of every folder below it, a folder
/// before its own entries; visit returns false to stop the walk. False when root or a folder below
/// it could not be read.
bool walkBelow(int root, const std::function<bool(const WalkedEntry&)>& visit);

/// The same for the folder at path.
bool walkBelow(const std::string& path, const std::function<bool(const WalkedEntry&)>& visit);

/// Opens the folder at relative (parts separated by '/') below the open folder root, part by part,
/// following no link: a descriptor, or -1 with errno set.
int openFolderBelow(int root, const std::string& relative);

}  // namespace velmora
