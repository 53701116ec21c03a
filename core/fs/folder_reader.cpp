#include "core/fs/folder_reader.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace velmora {

FolderReader::FolderReader(const std::string& path) : dir_(opendir(path.empty() ? "." : path.c_str())) {
    failed_ = dir_ == nullptr;
}

FolderReader::FolderReader(int folder) {
    const int own = folder >= 0 ? openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC) : -1;
    dir_ = own >= 0 ? fdopendir(own) : nullptr;
    if (!dir_ && own >= 0) close(own);
    failed_ = dir_ == nullptr;
}

FolderReader::~FolderReader() {
    if (dir_) closedir(dir_);
}

int FolderReader::fd() const { return dir_ ? dirfd(dir_) : -1; }

const dirent* FolderReader::next() {
    if (!dir_) return nullptr;
    for (;;) {
        errno = 0;
        const dirent* e = readdir(dir_);
        if (!e) {
            if (errno != 0) failed_ = true;
            return nullptr;
        }
        if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0) return e;
    }
}

}  // namespace velmora
