#include "core/file_system.h"

#include <fcntl.h>
#include <glob.h>
#include <limits.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "core/paths.h"

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

bool renameWithoutReplacing(int dir, const NativeName& from, const NativeName& to) {
    struct stat st {};
    if (fstatat(dir, from.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return false;
    if (!S_ISDIR(st.st_mode)) {
        // link fails when the target exists; only then is the old name removed.
        if (linkat(dir, from.c_str(), dir, to.c_str(), 0) != 0) return false;
        if (unlinkat(dir, from.c_str(), 0) != 0) {
            unlinkat(dir, to.c_str(), 0);
            return false;
        }
        return true;
    }
    struct stat target {};
    if (fstatat(dir, to.c_str(), &target, AT_SYMLINK_NOFOLLOW) == 0 || errno != ENOENT) return false;
    return renameat(dir, from.c_str(), dir, to.c_str()) == 0;
}

// A case-only change on a case-insensitive file system: both names find one and the same entry,
// and renaming an entry onto itself changes nothing, so it goes through a temporary name. Two
// links of one file on a case-sensitive file system look the same; there the second step finds
// the new name taken and the entry goes back.
bool renameThroughTemporary(int dir, const NativeName& from, const NativeName& to) {
    for (int k = 1; k <= 100; ++k) {
        const std::string temporary = "改名中转-大小写" + std::to_string(k);
        if (renameat2(dir, from.c_str(), dir, temporary.c_str(), RENAME_NOREPLACE) != 0) {
            if (errno == EEXIST) continue;
            return false;
        }
        if (renameat2(dir, temporary.c_str(), dir, to.c_str(), RENAME_NOREPLACE) == 0) return true;
        renameat2(dir, temporary.c_str(), dir, from.c_str(), RENAME_NOREPLACE);
        return false;
    }
    return false;
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
    if (name.empty() || name == "." || name == ".." || name.size() > NAME_MAX) return false;
    return name.find(kSeparator) == std::string::npos && name.find('\0') == std::string::npos;
}

FolderHandle::FolderHandle(const NativeName& path)
    : fd_(open(path.empty() ? "." : path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {}

FolderHandle::~FolderHandle() {
    if (fd_ >= 0) close(fd_);
}

bool FolderHandle::rename(const NativeName& oldName, const NativeName& newName, RenameMethod method) const {
    if (fd_ < 0 || !isValidEntryName(oldName) || !isValidEntryName(newName) || oldName == newName) return false;
    if (method == RenameMethod::Atomic) {
        if (renameat2(fd_, oldName.c_str(), fd_, newName.c_str(), RENAME_NOREPLACE) == 0) return true;
        if (errno == EEXIST && sameEntry(fd_, oldName, newName)) return renameThroughTemporary(fd_, oldName, newName);
        if (errno != EINVAL && errno != ENOSYS) return false;
    }
    return renameWithoutReplacing(fd_, oldName, newName);
}

bool renameEntry(const Text& oldPath, const Text& newPath) {
    const Text folder = folderOfPath(oldPath);
    if (folder.empty() || folderOfPath(newPath) != folder) return false;
    const Text oldName = fileNameOf(oldPath);
    const Text newName = fileNameOf(newPath);
    if (oldPath.bytes() != folder.bytes() + oldName.bytes() || newPath.bytes() != folder.bytes() + newName.bytes())
        return false;
    const auto nativeFolder = textToNative(folder);
    const auto nativeOld = textToNative(oldName);
    const auto nativeNew = textToNative(newName);
    if (!nativeFolder || !nativeOld || !nativeNew) return false;
    return FolderHandle(*nativeFolder).rename(*nativeOld, *nativeNew);
}

bool createDirectory(const Text& path) {
    const auto native = textToNative(path);
    return native && !native->empty() && mkdir(native->c_str(), 0777) == 0;
}

bool createDirectories(const Text& path) {
    const auto native = textToNative(path);
    if (!native || native->empty()) return false;
    // The separator byte never occurs inside a multi-byte character of either encoding.
    for (std::size_t at = native->find('/', 1); at != std::string::npos; at = native->find('/', at + 1))
        if (mkdir(native->substr(0, at).c_str(), 0777) != 0 && errno != EEXIST) return false;
    if (mkdir(native->c_str(), 0777) != 0 && errno != EEXIST) return false;
    struct stat info {};
    return stat(native->c_str(), &info) == 0 && S_ISDIR(info.st_mode);
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

bool replaceFile(const Text& path, const std::vector<std::string>& blocks) {
    const auto native = textToNative(path);
    if (path.empty() || !native) {
        errno = EINVAL;
        return false;
    }
    const std::string temp = *native + ".tmp-" + std::to_string(getpid());
    const int fd = open(temp.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    bool ok = writeBlocks(fd, blocks) && fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
    if (ok && ::rename(temp.c_str(), native->c_str()) == 0) return true;
    const int reason = errno;
    unlink(temp.c_str());
    errno = reason;
    return false;
}

Text readRegistryText(int, const Text&) { return {}; }

Text programFolder() {
    char buffer[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) return {};
    return folderOfPath(nativeToText(std::string(buffer, static_cast<std::size_t>(n))).text);
}

}  // namespace velmora
