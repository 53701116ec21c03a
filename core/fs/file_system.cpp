#include "core/fs/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <glob.h>
#include <limits.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "core/fs/disk.h"
#include "core/fs/folder_reader.h"
#include "core/fs/folder_walk.h"
#include "core/fs/paths.h"

#ifndef RENAME_NOREPLACE
#define RENAME_NOREPLACE (1 << 0)
#endif

namespace velmora {
namespace {

bool sameEntry(int dir, const NativeName& a, const NativeName& b) {
    struct stat sa {};
    struct stat sb {};
    return fstatat(dir, a.c_str(), &sa, AT_SYMLINK_NOFOLLOW) == 0 &&
           fstatat(dir, b.c_str(), &sb, AT_SYMLINK_NOFOLLOW) == 0 && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

int openFile(const Text& path, int flags) {
    const auto native = textToNative(path);
    if (path.empty() || !native) return -1;
    return open(native->c_str(), flags | O_WRONLY | O_CLOEXEC, 0644);
}

bool writeBlocks(int fd, const std::vector<std::string>& blocks) {
    for (const std::string& block : blocks) {
        std::size_t done = 0;
        while (done < block.size()) {
            const ssize_t n = write(fd, block.data() + done, block.size() - done);
            if (n < 0) {
                if (errno == EINTR) continue;
                return false;
            }
            done += static_cast<std::size_t>(n);
        }
    }
    return true;
}

bool writeAndClose(int fd, const std::vector<std::string>& blocks) {
    if (fd < 0) return false;
    const bool ok = writeBlocks(fd, blocks);
    return close(fd) == 0 && ok;
}

}  // namespace

bool isValidEntryName(const NativeName& name) {
    if (name.empty() || name == "." || name == ".." || name.size() > kLongestName) return false;
    return name.find(kSeparator) == std::string::npos && name.find('\0') == std::string::npos;
}

FolderHandle::FolderHandle(const NativeName& path)
    : path_(path), fd_(open(path.empty() ? "." : path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {}

FolderHandle::FolderHandle(int parent, const std::string& relative, const NativeName& path)
    : path_(path), fd_(parent >= 0 ? openFolderBelow(parent, relative) : -1) {}

FolderHandle::~FolderHandle() {
    if (fd_ >= 0) close(fd_);
}

const Disk& FolderHandle::disk() const {
    if (!disk_) disk_ = diskOf(path_);
    return *disk_;
}

// The no-replace flag first; where the disk does not take it (FUSE disks, some network shares), a
// hard link and unlink, which cannot replace either; where the disk has no hard links, a rename
// right after checking that the new name is free. What each means is remembered for the folder.
Expected<void, int> FolderHandle::rename(const NativeName& oldName, const NativeName& newName,
                                         RenameMethod method) const {
    const std::size_t slash = oldName.rfind(kSeparator);
    if (slash != std::string::npos && fd_ >= 0) {
        const std::string folder = oldName.substr(0, slash);
        if (newName.size() <= slash + 1 || newName.compare(0, slash + 1, oldName, 0, slash + 1) != 0)
            return unexpected(EXDEV);
        const FolderHandle* inside = below(folder);
        if (!inside->isOpen()) return unexpected(errno == ENOTDIR || errno == ELOOP ? ENOENT : errno);
        auto renamed = inside->rename(oldName.substr(slash + 1), newName.substr(slash + 1), method);
        if (renamed) forgetBelow(oldName);
        return renamed;
    }
    if (fd_ >= 0 && slash == std::string::npos && newName.find(kSeparator) != std::string::npos)
        return unexpected(EXDEV);
    if (fd_ < 0 || !isValidEntryName(oldName) || !isValidEntryName(newName) || oldName == newName)
        return unexpected(fd_ < 0 ? ENOENT : EINVAL);
    if (move(oldName, newName, method, true)) {
        forgetBelow(oldName);
        return {};
    }
    return unexpected(errno);
}

// Opened once per folder and kept for the renames after, the folders used longest ago let go: a
// run goes folder by folder, and a thousand folders open at once would use up the descriptors a
// process may hold. errno tells why one could not be opened.
const FolderHandle* FolderHandle::below(const std::string& folder) const {
    constexpr std::size_t kept = 16;
    if (below_.size() >= kept && below_.find(folder) == below_.end()) {
        auto oldest = below_.begin();
        for (auto it = below_.begin(); it != below_.end(); ++it)
            if (it->second.second < oldest->second.second) oldest = it;
        below_.erase(oldest);
    }
    auto& [handle, used] = below_[folder];
    used = ++uses_;
    if (!handle || !handle->isOpen())
        handle = std::make_unique<FolderHandle>(
            fd_, folder, path_.empty() || path_.back() == kSeparator ? path_ + folder : path_ + kSeparator + folder);
    if (!handle->isOpen()) errno = errno == 0 ? ENOENT : errno;
    return handle.get();
}

// A folder renamed takes its name away from the handles opened under it: they are opened anew
// under the name asked for next.
void FolderHandle::forgetBelow(const std::string& renamed) const {
    for (auto it = below_.lower_bound(renamed);
         it != below_.end() && it->first.compare(0, renamed.size(), renamed) == 0;) {
        if (it->first.size() == renamed.size() || it->first[renamed.size()] == kSeparator)
            it = below_.erase(it);
        else
            ++it;
    }
}

// detour: a change of case only may go through a temporary name (not while on the way through one).
bool FolderHandle::move(const NativeName& from, const NativeName& to, RenameMethod method, bool detour) const {
    if (method == RenameMethod::Atomic && takesNoReplace_) {
        if (renameat2(fd_, from.c_str(), fd_, to.c_str(), RENAME_NOREPLACE) == 0) return true;
        // The new name finds the entry itself: a change of case where names are compared without
        // case (a FUSE disk may give the two spellings different inode numbers), or another link.
        const int error = errno;
        if (error == EEXIST && detour && (sameEntry(fd_, from, to) || (sameButForCase(from, to) && disk().ignoresCase)))
            return renameThroughTemporary(from, to);
        errno = error;
        if (error != EINVAL && error != ENOSYS) return false;
        takesNoReplace_ = false;
    }
    // Where names are compared without case the new name is the entry itself.
    if (detour && sameButForCase(from, to) && disk().ignoresCase) return renameThroughTemporary(from, to);
    if (hasHardLinks_) {
        struct stat st {};
        if (fstatat(fd_, from.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return false;
        // link fails when the target exists; only then is the old name removed. Folders have no
        // hard links.
        if (!S_ISDIR(st.st_mode)) {
            if (linkat(fd_, from.c_str(), fd_, to.c_str(), 0) == 0) {
                if (unlinkat(fd_, from.c_str(), 0) == 0) return true;
                unlinkat(fd_, to.c_str(), 0);
                return false;
            }
            if (errno != EPERM && errno != EOPNOTSUPP && errno != ENOSYS && errno != EMLINK) return false;
            hasHardLinks_ = false;
        }
    }
    // No look-up of the old name first: on a FUSE disk that is a round trip through the driver,
    // and the rename finds the name missing as surely.
    return renameIfFree(from, to);
}

// Another program creating the new name between the check and the rename could lose its file:
// the last resort of a disk that offers nothing better.
bool FolderHandle::renameIfFree(const NativeName& from, const NativeName& to) const {
    switch (freeByNotices(to)) {
    case NameWatch::Answer::Taken:
        errno = EEXIST;
        return false;
    case NameWatch::Answer::Free:
        return renameat(fd_, from.c_str(), fd_, to.c_str()) == 0;
    case NameWatch::Answer::Unknown:
        break;
    }
    struct stat target {};
    const bool found = fstatat(fd_, to.c_str(), &target, AT_SYMLINK_NOFOLLOW) == 0;
    if (!found && errno != ENOENT) return false;
    if (found && (!disk().ignoresCase || listed(to))) {
        errno = EEXIST;
        return false;
    }
    return renameat(fd_, from.c_str(), fd_, to.c_str()) == 0;
}

// Whether the folder's change notices know name as taken. A handle that renames more than a few
// entries on a disk whose changes all pass through this kernel reads the folder's names once and
// then follows the notices, instead of looking each new name up through the driver.
NameWatch::Answer FolderHandle::freeByNotices(const NativeName& name) const {
    constexpr unsigned renamesBeforeWatching = 16;
    if (!watch_ && ++checkedRenames_ == renamesBeforeWatching && disk().changedOnlyHere)
        watch_ = NameWatch::start(fd_, disk().ignoresCase);
    return watch_ ? watch_->holds(name) : NameWatch::Answer::Unknown;
}

// Whether the folder lists name, letter case aside. A FUSE disk that ignores case answers a lookup
// from the kernel's cache of names looked up before, which keeps another spelling of an entry as
// a name of it for a while after the entry was renamed: only the listing is sure.
bool FolderHandle::listed(const NativeName& name) const {
    FolderReader folder(fd_);
    if (!folder.isOpen()) return true;
    const std::string wanted = foldCase(name);
    bool found = false;
    while (const dirent* e = found ? nullptr : folder.next()) found = foldCase(e->d_name) == wanted;
    return found;
}

// A case-only change where names are compared without case: both names find one and the same
// entry, and renaming an entry onto itself changes nothing, so it goes through a temporary name.
// Two links of one file on a case-sensitive file system look the same; there the second step
// finds the new name taken and the entry goes back.
bool FolderHandle::renameThroughTemporary(const NativeName& from, const NativeName& to) const {
    for (int k = 1; k <= 100; ++k) {
        const std::string temporary = "改名中转-大小写" + std::to_string(k);
        struct stat st {};
        if (fstatat(fd_, temporary.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) continue;
        if (!move(from, temporary, RenameMethod::Atomic, false)) return false;
        if (move(temporary, to, RenameMethod::Atomic, false)) return true;
        const int error = errno;
        move(temporary, from, RenameMethod::Atomic, false);
        errno = error;
        return false;
    }
    return false;
}

Expected<void, int> renameEntry(const Text& oldPath, const Text& newPath) {
    const Text folder = folderOfPath(oldPath);
    if (folder.empty() || folderOfPath(newPath) != folder) return unexpected(EXDEV);
    const Text oldName = fileNameOf(oldPath);
    const Text newName = fileNameOf(newPath);
    if (oldPath.bytes() != folder.bytes() + oldName.bytes() || newPath.bytes() != folder.bytes() + newName.bytes())
        return unexpected(EXDEV);
    const auto nativeFolder = textToNative(folder);
    const auto nativeOld = textToNative(oldName);
    const auto nativeNew = textToNative(newName);
    if (!nativeFolder || !nativeOld || !nativeNew) return unexpected(EINVAL);
    return FolderHandle(*nativeFolder).rename(*nativeOld, *nativeNew);
}

bool createDirectory(const Text& path) {
    const auto native = textToNative(path);
    return native && !native->empty() && mkdir(native->c_str(), 0777) == 0;
}

bool createDirectories(const Text& path) {
    const auto native = textToNative(path);
    return native && createDirectories(*native, 0777);
}

bool createDirectories(const NativeName& path, mode_t mode) {
    if (path.empty()) return false;
    // The separator byte never occurs inside a multi-byte character of either encoding.
    for (std::size_t at = path.find('/', 1); at != std::string::npos; at = path.find('/', at + 1))
        if (mkdir(path.substr(0, at).c_str(), mode) != 0 && errno != EEXIST) return false;
    if (mkdir(path.c_str(), mode) != 0 && errno != EEXIST) return false;
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool fileExists(const Text& path) {
    const auto native = textToNative(path);
    if (!native || native->empty()) return false;
    glob_t g{};
    const int r = glob(native->c_str(), GLOB_NOSORT | GLOB_NOESCAPE, nullptr, &g);
    const bool found = r == 0 && g.gl_pathc > 0;
    globfree(&g);
    if (found) return true;
    struct stat st {};  // glob does not match names with a leading dot against a wildcard
    return lstat(native->c_str(), &st) == 0;
}

bool writeFile(const Text& path, const std::vector<std::string>& blocks) {
    return writeAndClose(openFile(path, O_CREAT | O_TRUNC), blocks);
}

bool writeNewFile(const Text& path, const std::vector<std::string>& blocks) {
    return writeAndClose(openFile(path, O_CREAT | O_EXCL), blocks);
}

Expected<void, int> replaceFile(const Text& path, const std::vector<std::string>& blocks) {
    const auto native = textToNative(path);
    if (path.empty() || !native) return unexpected(EINVAL);
    const std::string temp = *native + ".tmp-" + std::to_string(getpid());
    const int fd = open(temp.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0644);
    if (fd < 0) return unexpected(errno);
    bool ok = writeBlocks(fd, blocks) && fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
    if (ok && ::rename(temp.c_str(), native->c_str()) == 0) return {};
    const int reason = errno;
    unlink(temp.c_str());
    return unexpected(reason);
}

Expected<std::string, int> readFile(const Text& path, std::size_t most) {
    const auto native = textToNative(path);
    if (path.empty() || !native) return unexpected(EINVAL);
    const int fd = open(native->c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return unexpected(errno);
    struct stat st {};
    if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        const int reason = S_ISDIR(st.st_mode) ? EISDIR : errno;
        close(fd);
        return unexpected(reason);
    }
    std::string content;
    char buffer[65536];
    for (;;) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 || content.size() + static_cast<std::size_t>(n) > most) {
            const int reason = n < 0 ? errno : EFBIG;
            close(fd);
            return unexpected(reason);
        }
        if (n == 0) break;
        content.append(buffer, static_cast<std::size_t>(n));
    }
    close(fd);
    return content;
}

Text readRegistryText(int, const Text&) { return {}; }

Text programFolder() {
    char buffer[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) return {};
    return folderOfPath(nativeToText(std::string(buffer, static_cast<std::size_t>(n))).text);
}

}  // namespace velmora
