#include "core/fs/name_watch.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "core/fs/disk.h"
#include "core/fs/folder_reader.h"

#ifdef __linux__
#include <sys/inotify.h>
#endif

namespace velmora {

#ifdef __linux__

namespace {

constexpr std::uint32_t kWatched =
    IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF | IN_UNMOUNT | IN_ONLYDIR | IN_EXCL_UNLINK;

}  // namespace

std::unique_ptr<NameWatch> NameWatch::start(int folder, bool foldCase) {
    const int notices = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (notices < 0) return nullptr;
    std::unique_ptr<NameWatch> watch(new NameWatch(notices, foldCase));
    // The watch first, then the names: a name taken in between is in both, never in neither.
    const std::string self = "/proc/self/fd/" + std::to_string(folder);
    if (inotify_add_watch(notices, self.c_str(), kWatched) < 0) return nullptr;
    FolderReader listed(folder);
    while (const dirent* e = listed.next()) watch->names_.insert(watch->key(e->d_name));
    if (listed.failed()) return nullptr;
    return watch;
}

NameWatch::~NameWatch() {
    if (notices_ >= 0) close(notices_);
}

// Applies every notice the kernel holds, in order; false once one was lost.
bool NameWatch::catchUp() {
    alignas(inotify_event) char buffer[64 * 1024];
    while (!lost_) {
        const ssize_t n = read(notices_, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            if (errno != EAGAIN) lost_ = true;
            break;
        }
        for (ssize_t at = 0; at < n;) {
            inotify_event event;
            std::memcpy(&event, buffer + at, sizeof event);
            const char* name = buffer + at + sizeof event;
            at += static_cast<ssize_t>(sizeof event + event.len);
            if (event.mask & (IN_Q_OVERFLOW | IN_DELETE_SELF | IN_UNMOUNT | IN_IGNORED)) {
                lost_ = true;
                break;
            }
            if (event.len == 0) continue;
            const std::string changed = key(std::string_view(name, strnlen(name, event.len)));
            if (event.mask & (IN_CREATE | IN_MOVED_TO))
                names_.insert(changed);
            else if (event.mask & (IN_DELETE | IN_MOVED_FROM))
                names_.erase(changed);
        }
    }
    return !lost_;
}

#else

std::unique_ptr<NameWatch> NameWatch::start(int, bool) { return nullptr; }
NameWatch::~NameWatch() = default;
bool NameWatch::catchUp() { return false; }

#endif

NameWatch::NameWatch(int notices, bool foldCase) : notices_(notices), foldCase_(foldCase) {}

std::string NameWatch::key(std::string_view name) const { return foldCase_ ? foldCase(name) : std::string(name); }

NameWatch::Answer NameWatch::holds(std::string_view name) {
    if (!catchUp()) return Answer::Unknown;
    return names_.count(key(name)) ? Answer::Taken : Answer::Free;
}

}  // namespace velmora
