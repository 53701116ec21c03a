#pragma once
// File-system operations. None of them reports anything to the user: failure is a false result,
// or, where the caller tells the user why, the errno that says so.

#include <sys/types.h>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/base/expected.h"
#include "core/fs/disk.h"
#include "core/fs/name_watch.h"
#include "core/text/encoding.h"
#include "core/text/text.h"

namespace velmora {

/// How a rename that must not overwrite is carried out.
enum class RenameMethod {
    Atomic,  ///< renameat2 with RENAME_NOREPLACE, falling back when the file system lacks it
    Fallback,  ///< link + unlink for files, a checked rename for folders
};

/// The most bytes a name can have on any disk: 255 UTF-16 units of up to four bytes each. How long
/// a name one disk takes is its own (core/fs/disk.h).
inline constexpr std::size_t kLongestName = 1020;

/// True when name can be an entry name: not empty, not "." or "..", no separator, no NUL, and
/// not over kLongestName bytes.
bool isValidEntryName(const NativeName& name);

/// An open folder whose entries are renamed by name. Renames never overwrite and never leave it.
/// An entry of a folder below it is named by its relative path ("第1季/第1集.mp4") and renamed
/// inside its own folder, which is opened from this one part by part without following links.
class FolderHandle {
public:
    explicit FolderHandle(const NativeName& path);
    /// The folder at relative below the open folder parent (path: where it is, for learning its disk).
    FolderHandle(int parent, const std::string& relative, const NativeName& path);
    ~FolderHandle();
    FolderHandle(const FolderHandle&) = delete;
    FolderHandle& operator=(const FolderHandle&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    /// Renames the entry oldName to newName inside this folder. Fails, touching nothing, when
    /// newName is not a valid name, is the same as oldName, already exists, or oldName is missing:
    /// the errno of the failure (ENOENT for a folder that could not be opened). Relative paths
    /// rename inside the folder below that holds them; two paths in different folders fail with
    /// EXDEV.
    Expected<void, int> rename(const NativeName& oldName, const NativeName& newName,
                               RenameMethod method = RenameMethod::Atomic) const;
    /// What the folder's disk does with names, learnt when first needed.
    const Disk& disk() const;

private:
    const FolderHandle* below(const std::string& folder) const;
    void forgetBelow(const std::string& renamed) const;
    bool move(const NativeName& from, const NativeName& to, RenameMethod method, bool detour) const;
    bool renameIfFree(const NativeName& from, const NativeName& to) const;
    NameWatch::Answer freeByNotices(const NativeName& name) const;
    bool listed(const NativeName& name) const;
    bool renameThroughTemporary(const NativeName& from, const NativeName& to) const;

    NativeName path_;
    int fd_ = -1;
    mutable std::optional<Disk> disk_;
    mutable bool takesNoReplace_ = true;  ///< false once the disk refused the no-replace flag
    mutable bool hasHardLinks_ = true;  ///< false once the disk refused a hard link
    mutable unsigned checkedRenames_ = 0;  ///< renames made after checking the new name is free
    mutable std::unique_ptr<NameWatch> watch_;  ///< where the disk's changes all pass here
    /// Folders below opened for renaming inside them, by relative path, each with when it was
    /// last used: a few only, as every one holds a descriptor.
    mutable std::map<std::string, std::pair<std::unique_ptr<FolderHandle>, std::uint64_t>> below_;
    mutable std::uint64_t uses_ = 0;
};

/// Renames old path to new path, both full paths in the same folder; the errno of a failure
/// (EXDEV for paths in two folders, EINVAL for a name without a native form).
Expected<void, int> renameEntry(const Text& oldPath, const Text& newPath);
bool createDirectory(const Text& path);
/// Creates path and the folders above it that are missing; true when path is a folder afterwards.
bool createDirectories(const Text& path);
/// The same for a path the system gave, the folders made with mode (less the umask).
bool createDirectories(const NativeName& path, mode_t mode);
/// True when at least one entry matches path (wildcards * and ? allowed in its last part).
bool fileExists(const Text& path);
/// Creates or truncates the file and writes the blocks in order.
bool writeFile(const Text& path, const std::vector<std::string>& blocks);
/// Creates a new file with the blocks; false, touching nothing, when the path exists already.
bool writeNewFile(const Text& path, const std::vector<std::string>& blocks);
/// Replaces the file as a whole: a temporary file in the same folder renamed over it, so a failed
/// write leaves the old file as it was; the errno of a failure.
Expected<void, int> replaceFile(const Text& path, const std::vector<std::string>& blocks);
/// The whole content of the file at path, at most most bytes; the errno of a failure (EFBIG for a
/// larger file, EISDIR for a folder).
Expected<std::string, int> readFile(const Text& path, std::size_t most);
/// The folder holding the running executable, with its separator.
Text programFolder();
/// A string value of the Windows registry (root 1 classes root, 2 current configuration, 3 current
/// user, 4 local machine, 5 users; path is the key, a separator, then the value name). Other
/// systems have no registry: the empty text.
Text readRegistryText(int root, const Text& path);

}  // namespace velmora
