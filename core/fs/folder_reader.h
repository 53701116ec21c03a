#pragma once
// Reading a folder's entries: the one loop over readdir, with the opening, the skipping of "." and
// "..", the telling of an error from the end, and the closing in one place.

#include <dirent.h>

#include <string>

namespace velmora {

class FolderReader {
public:
    /// Reads the folder at path (the current folder when empty).
    explicit FolderReader(const std::string& path);
    /// Reads the folder that the open descriptor folder refers to, from its first entry, through
    /// a descriptor of its own: folder is left as it is.
    explicit FolderReader(int folder);
    ~FolderReader();
    FolderReader(const FolderReader&) = delete;
    FolderReader& operator=(const FolderReader&) = delete;

    bool isOpen() const { return dir_ != nullptr; }
    /// The folder's descriptor, for looking its entries up; -1 when it could not be opened.
    int fd() const;
    /// The next entry as the disk lists it, "." and ".." left out; null at the end, or when the
    /// folder cannot be read (then failed()).
    const dirent* next();
    /// The folder could not be opened, or reading it stopped on an error before its end.
    bool failed() const { return failed_; }

private:
    DIR* dir_ = nullptr;
    bool failed_ = false;
};

}  // namespace velmora
