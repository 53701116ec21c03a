#include "core/fs/folder_walk.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "core/fs/folder_reader.h"

namespace velmora {
namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

// A folder to enter: a real folder (no link to one) on the walked folder's own file system.
int enterable(int parent, const dirent* e, dev_t device) {
    if (e->d_type != DT_DIR && e->d_type != DT_UNKNOWN) return -1;
    const int fd = openat(parent, e->d_name, kFolderFlags);
    if (fd < 0) return -1;
    struct stat st {};
    if (fstat(fd, &st) != 0 || st.st_dev != device) {
        close(fd);
        return -1;
    }
    return fd;
}

// fd is taken over: the reader reads through a descriptor of its own, this one is closed here.
bool walkFolder(int fd, std::string& path, dev_t device, const std::function<bool(const WalkedEntry&)>& visit,
                bool& stopped) {
    FolderReader reader(fd);
    close(fd);
    if (!reader.isOpen()) return false;
    bool complete = true;
    const std::size_t base = path.size();
    while (const dirent* e = reader.next()) {
        path.resize(base);
        if (base > 0) path += '/';
        path += e->d_name;
        if (!visit(WalkedEntry{path, e, reader.fd()})) {
            stopped = true;
            break;
        }
        const int below = enterable(reader.fd(), e, device);
        if (below < 0) continue;
        complete = walkFolder(below, path, device, visit, stopped) && complete;
        if (stopped) break;
    }
    path.resize(base);
    return complete && !reader.failed();
}

}  // namespace

bool walkBelow(int root, const std::function<bool(const WalkedEntry&)>& visit) {
    struct stat st {};
    if (root < 0 || fstat(root, &st) != 0) return false;
    const int fd = openat(root, ".", kFolderFlags);
    if (fd < 0) return false;
    std::string path;
    bool stopped = false;
    return walkFolder(fd, path, st.st_dev, visit, stopped);
}

bool walkBelow(const std::string& path, const std::function<bool(const WalkedEntry&)>& visit) {
    const int root = open(path.empty() ? "." : path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (root < 0) return false;
    const bool read = walkBelow(root, visit);
    close(root);
    return read;
}

int openFolderBelow(int root, const std::string& relative) {
    int fd = openat(root, ".", kFolderFlags);
    std::size_t from = 0;
    while (fd >= 0 && from < relative.size()) {
        std::size_t end = relative.find('/', from);
        if (end == std::string::npos) end = relative.size();
        const std::string part = relative.substr(from, end - from);
        if (part.empty() || part == "." || part == "..") {
            close(fd);
            errno = EINVAL;
            return -1;
        }
        const int next = openat(fd, part.c_str(), kFolderFlags);
        const int error = errno;
        close(fd);
        errno = error;
        fd = next;
        from = end + 1;
    }
    return fd;
}

}  // namespace velmora
