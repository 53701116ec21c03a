#pragma once
// A small disk image, formatted as exFAT or NTFS, attached to a loop device and mounted through
// FUSE (exfat-fuse; ntfs-3g with windows_names, or lowntfs-3g ignoring case) in a fresh temporary
// folder: a camera card or a Windows partition as Linux shows them. Needs root, /dev/fuse, loop devices and the tools
// of the Debian packages exfatprogs, exfat-fuse, ntfs-3g and fuse3; a test asks first with
// VELMORA_SKIP_WITHOUT_DISK_IMAGE, the bench with DiskImage::unavailableReason. Its library,
// velmora_disk_image, links no test framework, so the release build's bench can use it too.

#include <cstdio>
#include <string>

namespace velmora::testing {

enum class ImageFormat {
    Exfat,  ///< mount.exfat-fuse
    Ntfs,  ///< ntfs-3g -o windows_names
    NtfsIgnoringCase,  ///< lowntfs-3g -o windows_names,ignore_case
};

class DiskImage {
public:
    /// Why this machine cannot make and mount an image of format; empty when it can.
    static std::string unavailableReason(ImageFormat format);
    static bool available(ImageFormat format) { return unavailableReason(format).empty(); }
    static const char* formatName(ImageFormat format);

    /// Makes, formats, attaches and mounts a fresh image; throws std::runtime_error with the
    /// failing command and its output.
    explicit DiskImage(ImageFormat format, unsigned megabytes = 32);
    /// Unmounts (retrying briefly while busy), detaches the loop device, removes every file.
    ~DiskImage();
    DiskImage(const DiskImage&) = delete;
    DiskImage& operator=(const DiskImage&) = delete;

    /// The mounted folder with its trailing separator. Its name holds a space, as card labels
    /// often do, which the mount table writes escaped.
    const std::string& path() const { return path_; }
    /// The loop device ("/dev/loopN"), the mount's source.
    const std::string& device() const { return device_; }
    bool mounted() const { return mounted_; }

    /// Unmounts; the driver has let the device go when this returns. Throws when it cannot.
    void unmount();
    /// Mounts the image again at path().
    void mount();
    void remount() {
        unmount();
        mount();
    }

private:
    void removeEverything() noexcept;

    ImageFormat format_;
    std::string folder_;  ///< holds the image file and the mount point
    std::string image_;
    std::string mountPoint_;  ///< without its trailing separator
    std::string path_;
    std::string device_;
    bool mounted_ = false;
};

}  // namespace velmora::testing

/// In a test body: where this machine cannot mount an image of format, says why loudly on stderr
/// and skips the test. GoogleTest's GTEST_SKIP comes from the test source, which includes gtest.
#define VELMORA_SKIP_WITHOUT_DISK_IMAGE(format)                                                  \
    do {                                                                                         \
        const std::string velmoraWhy = ::velmora::testing::DiskImage::unavailableReason(format); \
        if (!velmoraWhy.empty()) {                                                               \
            std::fprintf(stderr, "*** SKIPPED: no %s disk image on this machine: %s\n",          \
                         ::velmora::testing::DiskImage::formatName(format), velmoraWhy.c_str()); \
            GTEST_SKIP() << "no " << ::velmora::testing::DiskImage::formatName(format)           \
                         << " disk image: " << velmoraWhy;                                       \
        }                                                                                        \
    } while (false)
