#pragma once
// The names of one folder, kept current by the kernel's change notices instead of asking the disk.
// Where a disk offers no rename that refuses to replace, a rename must first make sure its new
// name is free; on a FUSE driver each such look-up is a round trip through the driver that costs
// about a quarter of the rename itself. When every change to the disk passes through this kernel
// (a FUSE driver over a local device), the notices tell of every name another program takes, as
// soon as it takes it: reading them is as sure as the look-up, and costs one system call.

#include <memory>
#include <string>
#include <string_view>
#include <unordered_set>

namespace velmora {

class NameWatch {
public:
    /// Starts watching the open folder fd and reads its names once. foldCase: names are compared
    /// as a disk that ignores case compares them. Null where the system offers no notices or the
    /// watch cannot be set (too many watches, for example).
    static std::unique_ptr<NameWatch> start(int folder, bool foldCase);
    ~NameWatch();
    NameWatch(const NameWatch&) = delete;
    NameWatch& operator=(const NameWatch&) = delete;

    /// Whether an entry of the folder has name now: true or false, or the watch no longer knows
    /// (the kernel dropped notices, or the folder went away); then it never knows again.
    enum class Answer { Free, Taken, Unknown };
    Answer holds(std::string_view name);

private:
    NameWatch(int notices, bool foldCase);
    bool catchUp();
    std::string key(std::string_view name) const;

    int notices_ = -1;
    bool foldCase_ = false;
    bool lost_ = false;
    std::unordered_set<std::string> names_;
};

}  // namespace velmora
