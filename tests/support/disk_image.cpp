#include "tests/support/disk_image.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
#include <stdexcept>
#include <thread>
#include <vector>

extern char** environ;

namespace fs = std::filesystem;

namespace velmora::testing {
namespace {

struct Tools {
    std::string mkfs;
    std::string mountHelper;
};

// Root's tools live in sbin, which a test's PATH may lack.
std::string findTool(const std::string& name) {
    std::string dirs = std::getenv("PATH") ? std::getenv("PATH") : "";
    dirs += ":/usr/local/sbin:/usr/sbin:/sbin:/usr/local/bin:/usr/bin:/bin";
    std::stringstream list(dirs);
    std::string dir;
    while (std::getline(list, dir, ':')) {
        if (dir.empty()) continue;
        const std::string candidate = dir + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    return {};
}

struct Outcome {
    bool ok = false;
    std::string output;  ///< stdout and stderr together
};

Outcome run(const std::vector<std::string>& command) {
    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0) return {false, "pipe failed"};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 1);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 2);
    std::vector<char*> argv;
    for (const std::string& word : command) argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    Outcome outcome;
    char buffer[4096];
    ssize_t got = 0;
    while ((got = read(pipeEnds[0], buffer, sizeof buffer)) > 0 || (got < 0 && errno == EINTR))
        if (got > 0) outcome.output.append(buffer, static_cast<std::size_t>(got));
    close(pipeEnds[0]);
    if (spawned != 0) return {false, "cannot start " + command[0]};
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    outcome.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return outcome;
}

std::string describe(const std::vector<std::string>& command, const Outcome& outcome) {
    std::string text;
    for (const std::string& word : command) text += (text.empty() ? "" : " ") + word;
    return text + " failed: " + outcome.output;
}

Tools toolsFor(ImageFormat format) {
    switch (format) {
    case ImageFormat::Exfat:
        return {findTool("mkfs.exfat"), findTool("mount.exfat-fuse")};
    case ImageFormat::Ntfs:
        return {findTool("mkntfs"), findTool("ntfs-3g")};
    case ImageFormat::NtfsIgnoringCase:
        return {findTool("mkntfs"), findTool("lowntfs-3g")};
    }
    return {};
}

bool hasMountCapability() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("CapEff:", 0) != 0) continue;
        const unsigned long long caps = std::strtoull(line.c_str() + 7, nullptr, 16);
        return (caps >> 21) & 1;  // CAP_SYS_ADMIN
    }
    return false;
}

std::string checkMachine(ImageFormat format) {
    if (geteuid() != 0) return "needs root for loop devices and mounts";
    if (!hasMountCapability()) return "may not mount (no CAP_SYS_ADMIN)";
    if (access("/dev/fuse", R_OK | W_OK) != 0) return "/dev/fuse is missing (Debian package fuse3)";
    if (access("/dev/loop-control", R_OK | W_OK) != 0) return "no loop devices (/dev/loop-control is missing)";
    const Tools tools = toolsFor(format);
    const char* package = format == ImageFormat::Exfat ? "exfatprogs and exfat-fuse" : "ntfs-3g";
    if (tools.mkfs.empty() || tools.mountHelper.empty()) return std::string("needs the Debian packages ") + package;
    for (const char* tool : {"losetup", "umount"})
        if (findTool(tool).empty()) return std::string(tool) + " is missing (Debian package mount)";
    const std::vector<std::string> probe{findTool("losetup"), "-f"};
    const Outcome free = run(probe);
    if (!free.ok) return "no free loop device: " + free.output;
    return {};
}

// Whether nothing holds device exclusively any more: neither the kernel's mount nor the driver.
bool released(const std::string& device) {
    const int fd = open(device.c_str(), O_RDONLY | O_EXCL | O_CLOEXEC);
    if (fd < 0) return errno != EBUSY;
    close(fd);
    return true;
}

template <typename Condition>
bool waitFor(Condition condition, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

}  // namespace

std::string DiskImage::unavailableReason(ImageFormat format) {
    static std::mutex mutex;
    static std::map<ImageFormat, std::string> reasons;
    const std::lock_guard<std::mutex> lock(mutex);
    auto known = reasons.find(format);
    if (known == reasons.end()) known = reasons.emplace(format, checkMachine(format)).first;
    return known->second;
}

const char* DiskImage::formatName(ImageFormat format) {
    switch (format) {
    case ImageFormat::Exfat:
        return "exFAT (exfat-fuse)";
    case ImageFormat::Ntfs:
        return "NTFS (ntfs-3g)";
    case ImageFormat::NtfsIgnoringCase:
        return "NTFS (lowntfs-3g, ignore_case)";
    }
    return "";
}

DiskImage::DiskImage(ImageFormat format, unsigned megabytes) : format_(format) {
    std::string pattern = (fs::temp_directory_path() / "velmora-disk-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    folder_ = pattern;
    image_ = folder_ + "/disk.img";
    mountPoint_ = folder_ + "/card 1";
    path_ = mountPoint_ + "/";
    try {
        { std::ofstream create(image_, std::ios::binary); }
        fs::resize_file(image_, std::uintmax_t{megabytes} << 20);
        const Tools tools = toolsFor(format);
        const std::vector<std::string> mkfs = format == ImageFormat::Exfat
                                                  ? std::vector<std::string>{tools.mkfs, image_}
                                                  : std::vector<std::string>{tools.mkfs, "-F", "-Q", image_};
        if (const Outcome made = run(mkfs); !made.ok) throw std::runtime_error(describe(mkfs, made));
        const std::vector<std::string> attach{findTool("losetup"), "-f", "--show", image_};
        const Outcome attached = run(attach);
        if (!attached.ok) throw std::runtime_error(describe(attach, attached));
        device_ = attached.output.substr(0, attached.output.find('\n'));
        fs::create_directory(mountPoint_);
        mount();
    } catch (...) {
        removeEverything();
        throw;
    }
}

DiskImage::~DiskImage() { removeEverything(); }

void DiskImage::mount() {
    if (mounted_) return;
    const Tools tools = toolsFor(format_);
    std::vector<std::string> command{tools.mountHelper, device_, mountPoint_};
    if (format_ == ImageFormat::Ntfs) command.insert(command.begin() + 1, {"-o", "windows_names"});
    if (format_ == ImageFormat::NtfsIgnoringCase)
        command.insert(command.begin() + 1, {"-o", "windows_names,ignore_case"});
    // Right after an unmount the previous driver may still hold the device for a moment.
    Outcome outcome;
    waitFor([&] { return (outcome = run(command)).ok; }, std::chrono::seconds(5));
    if (!outcome.ok) throw std::runtime_error(describe(command, outcome));
    mounted_ = true;
    struct stat loop {};
    stat(device_.c_str(), &loop);
    const bool arrived = waitFor(
        [&] {
            struct stat st {};
            return stat(mountPoint_.c_str(), &st) == 0 && st.st_dev == loop.st_rdev;
        },
        std::chrono::seconds(5));
    if (!arrived) throw std::runtime_error(describe(command, {false, "the mount point never showed the image"}));
}

void DiskImage::unmount() {
    if (!mounted_) return;
    const std::vector<std::string> command{findTool("umount"), mountPoint_};
    Outcome outcome;
    // Busy while a test's file or folder is still open somewhere; that passes.
    if (!waitFor([&] { return (outcome = run(command)).ok; }, std::chrono::seconds(3)))
        throw std::runtime_error(describe(command, outcome));
    mounted_ = false;
    waitFor([&] { return released(device_); }, std::chrono::seconds(5));
}

void DiskImage::removeEverything() noexcept {
    try {
        unmount();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "DiskImage: %s; unmounting lazily\n", e.what());
        const std::vector<std::string> lazy{findTool("umount"), "-l", mountPoint_};
        run(lazy);
        mounted_ = false;
    }
    if (!device_.empty()) {
        // A device still held is detached as soon as its last user lets go.
        const std::vector<std::string> detach{findTool("losetup"), "-d", device_};
        if (const Outcome detached = run(detach); !detached.ok)
            std::fprintf(stderr, "DiskImage: %s\n", describe(detach, detached).c_str());
        device_.clear();
    }
    std::error_code ec;
    fs::remove_all(folder_, ec);
}

}  // namespace velmora::testing
