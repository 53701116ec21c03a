#pragma once
// Makes a folder refuse changes, also for root (who ignores permission bits): the immutable
// flag where the file system has it.

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

namespace velmora::testing {

class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(std::string path) : path_(std::move(path)) {
        if (geteuid() != 0) {
            ok_ = chmod(path_.c_str(), 0555) == 0;
            return;
        }
        ok_ = setImmutable(true);
    }
    ~ReadOnlyFolder() {
        if (geteuid() != 0)
            chmod(path_.c_str(), 0755);
        else if (ok_)
            setImmutable(false);
    }
    ReadOnlyFolder(const ReadOnlyFolder&) = delete;
    ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;
    /// False when this file system cannot make the folder read-only for this user.
    bool ok() const { return ok_; }

private:
    bool setImmutable(bool on) {
        const int fd = open(path_.c_str(), O_RDONLY | O_DIRECTORY);
        if (fd < 0) return false;
        int flags = 0;
        bool done = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        done = done && ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        close(fd);
        return done;
    }
    std::string path_;
    bool ok_ = false;
};

}  // namespace velmora::testing
