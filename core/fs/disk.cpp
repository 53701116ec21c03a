#include "core/fs/disk.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <locale.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <wctype.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <vector>

#include "core/fs/folder_reader.h"

namespace velmora {
namespace {

// FS_CASEFOLD_FL: a folder whose names ext4 (or f2fs) compares without letter case. Older kernel
// headers lack the name.
constexpr unsigned kCasefoldFlag = 0x40000000;

// --- UTF-8 -------------------------------------------------------------------------------------

struct Utf8Char {
    char32_t code = 0;
    std::size_t length = 0;  ///< 0: the bytes at this position are not UTF-8
};

// Strict: overlong forms, surrogates and code points beyond U+10FFFF are not UTF-8.
Utf8Char decodeUtf8(std::string_view s, std::size_t i) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    if (b0 < 0x80) return {b0, 1};
    std::size_t length = 0;
    char32_t code = 0;
    char32_t smallest = 0;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        length = 2, code = b0 & 0x1F, smallest = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        length = 3, code = b0 & 0x0F, smallest = 0x800;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        length = 4, code = b0 & 0x07, smallest = 0x10000;
    } else {
        return {};
    }
    if (s.size() - i < length) return {};
    for (std::size_t k = 1; k < length; ++k) {
        const auto b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0) != 0x80) return {};
        code = (code << 6) | (b & 0x3F);
    }
    if (code < smallest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return {};
    return {code, length};
}

void appendUtf8(char32_t c, std::string& out) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// The C library's Unicode case tables, whatever the user's locale; null where even C.UTF-8 is
// missing, and then only ASCII letters fold.
locale_t unicodeCtype() {
    static const locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t{});
    return locale;
}

char asciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string swapAsciiCase(std::string_view name) {
    std::string swapped(name);
    for (char& c : swapped) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        } else if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return swapped;
}

// --- Names Windows refuses ---------------------------------------------------------------------

bool refusedOnWindows(unsigned char c) { return (c >= 0x01 && c <= 0x1F) || std::strchr("\\/:*?\"<>|", c) != nullptr; }

// CON, PRN, AUX, NUL, COM1–COM9, LPT1–LPT9 before the first dot, in any case; Windows also takes
// COM¹ … LPT³ as ports, and spaces between the device and its extension do not hide it.
bool isDeviceName(std::string_view name) {
    std::string_view base = name.substr(0, name.find('.'));
    while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
    std::string upper;
    for (char c : base.substr(0, 3)) upper += static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    if (base.size() == 3) return upper == "CON" || upper == "PRN" || upper == "AUX" || upper == "NUL";
    if (upper != "COM" && upper != "LPT") return false;
    const std::string_view number = base.substr(3);
    if (number.size() == 1) return number[0] >= '1' && number[0] <= '9';
    return number == "\xC2\xB9" || number == "\xC2\xB2" || number == "\xC2\xB3";  // ¹ ² ³
}

// The first character of name that disk cannot store, as its bytes. A disk taking Windows names
// stores UTF-16, so a byte that is not UTF-8 cannot be converted and is given alone.
std::string_view firstRefusedCharacter(std::string_view name, const Disk& disk) {
    if (!disk.windowsNames) return {};
    for (std::size_t i = 0; i < name.size();) {
        const auto byte = static_cast<unsigned char>(name[i]);
        if (byte < 0x80) {
            if (refusedOnWindows(byte)) return name.substr(i, 1);
            ++i;
            continue;
        }
        const std::size_t length = decodeUtf8(name, i).length;
        if (length == 0) return name.substr(i, 1);
        i += length;
    }
    return {};
}

// --- The mount table ---------------------------------------------------------------------------

struct Mount {
    std::string mountPoint;
    std::string type;
    std::string source;
    std::string superOptions;
};

// Mount points and sources escape space, tab, newline and backslash as \ooo.
std::string unescapeMountField(std::string_view field) {
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && field[i + 1] >= '0' && field[i + 1] <= '3' &&
            field[i + 2] >= '0' && field[i + 2] <= '7' && field[i + 3] >= '0' && field[i + 3] <= '7') {
            out += static_cast<char>(((field[i + 1] - '0') << 6) | ((field[i + 2] - '0') << 3) | (field[i + 3] - '0'));
            i += 3;
        } else {
            out += field[i];
        }
    }
    return out;
}

std::vector<std::string_view> splitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    while (start < line.size()) {
        const std::size_t end = std::min(line.find(' ', start), line.size());
        if (end > start) fields.push_back(line.substr(start, end - start));
        start = end + 1;
    }
    return fields;
}

bool isUnder(const std::string& path, const std::string& mountPoint) {
    if (mountPoint == "/") return true;
    return path.compare(0, mountPoint.size(), mountPoint) == 0 &&
           (path.size() == mountPoint.size() || path[mountPoint.size()] == '/');
}

// The mount holding a folder of device `device` at `path` (resolved): among the mounts of that
// device the longest mount point above the folder. A btrfs subvolume's folders have a device
// number of their own that the table does not show; then the longest mount point above it wins.
std::optional<Mount> mountOf(dev_t device, const std::string& path) {
    std::ifstream table("/proc/self/mountinfo");
    std::optional<Mount> sameDevice;
    bool sameDeviceAbove = false;
    std::optional<Mount> above;
    const std::string wanted = std::to_string(major(device)) + ":" + std::to_string(minor(device));
    std::string line;
    while (std::getline(table, line)) {
        const std::vector<std::string_view> f = splitFields(line);
        std::size_t dash = 6;
        while (dash < f.size() && f[dash] != "-") ++dash;
        if (dash + 2 >= f.size()) continue;
        Mount mount{unescapeMountField(f[4]), unescapeMountField(f[dash + 1]), unescapeMountField(f[dash + 2]),
                    dash + 3 < f.size() ? std::string(f[dash + 3]) : std::string()};
        const bool isAbove = isUnder(path, mount.mountPoint);
        // Later lines are mounted on top of earlier ones, so ties go to the later line.
        if (f[2] == wanted) {
            if ((isAbove && (!sameDeviceAbove || mount.mountPoint.size() >= sameDevice->mountPoint.size())) ||
                (!isAbove && !sameDeviceAbove)) {
                sameDeviceAbove = isAbove;
                sameDevice = mount;
            }
        }
        if (isAbove && (!above || mount.mountPoint.size() >= above->mountPoint.size())) above = std::move(mount);
    }
    return sameDevice ? sameDevice : above;
}

// --- What kind of disk -------------------------------------------------------------------------

enum class Family : std::uint8_t {
    Fat,  ///< FAT, exFAT: case ignored by the format itself
    Ntfs,
    Smb,
    UnknownBlockFuse,  ///< a block device behind FUSE, format not learnt
    Fuse,  ///< any other FUSE mount (sshfs, …)
    Native,  ///< ext4, btrfs, xfs, tmpfs, …
};

std::optional<Family> familyOfFormat(std::string_view name) {
    if (name == "vfat" || name == "msdos" || name == "exfat" || name == "fat" || name == "fat32" ||
        name == "exfat-fuse" || name == "fusefat")
        return Family::Fat;
    if (name == "ntfs" || name == "ntfs3" || name == "ntfs-3g" || name == "lowntfs-3g") return Family::Ntfs;
    return std::nullopt;
}

// The format on the block device behind a FUSE mount: what udev recorded for it, else its boot
// sector where this user may read the device. Only a device that is the one of the folder counts.
std::optional<Family> sniffBlockDevice(const std::string& source, dev_t device) {
    std::ifstream udev("/run/udev/data/b" + std::to_string(major(device)) + ":" + std::to_string(minor(device)));
    std::string line;
    while (std::getline(udev, line))
        if (line.rfind("E:ID_FS_TYPE=", 0) == 0) return familyOfFormat(std::string_view(line).substr(13));

    struct stat st {};
    if (stat(source.c_str(), &st) != 0 || !S_ISBLK(st.st_mode) || st.st_rdev != device) return std::nullopt;
    const int fd = open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return std::nullopt;
    std::array<char, 512> sector{};
    const ssize_t got = pread(fd, sector.data(), sector.size(), 0);
    close(fd);
    if (got != static_cast<ssize_t>(sector.size())) return std::nullopt;
    const std::string_view boot(sector.data(), sector.size());
    if (boot.substr(3, 8) == "EXFAT   ") return Family::Fat;
    if (boot.substr(3, 8) == "NTFS    ") return Family::Ntfs;
    if (boot.substr(54, 3) == "FAT" || boot.substr(82, 5) == "FAT32") return Family::Fat;
    return std::nullopt;
}

Family familyOf(const Mount& mount, dev_t device) {
    const std::string& type = mount.type;
    if (auto known = familyOfFormat(type)) return *known;
    if (type == "cifs" || type == "smb3") return Family::Smb;
    const bool block = type.rfind("fuseblk", 0) == 0;
    if (block || type.rfind("fuse", 0) == 0) {
        // "fuse.sshfs", "fuseblk.ntfs": the part after the dot names the driver; some drivers name
        // themselves as the source instead.
        const std::size_t dot = type.find('.');
        if (dot != std::string::npos)
            if (auto known = familyOfFormat(std::string_view(type).substr(dot + 1))) return *known;
        if (auto known = familyOfFormat(mount.source)) return *known;
        if (!block) return Family::Fuse;
        if (auto known = sniffBlockDevice(mount.source, device)) return *known;
        return Family::UnknownBlockFuse;
    }
    return Family::Native;
}

// Whether the folder's disk ignores letter case, learnt from one entry that has ASCII letters:
// looked up with their case swapped, it is found although no entry of that spelling is listed.
// Inode numbers cannot tell: FUSE drivers give one entry different numbers under two spellings.
// nullopt when the folder has no such entry.
std::optional<bool> probeIgnoresCase(int folder) {
    FolderReader listed(folder);
    if (!listed.isOpen()) return std::nullopt;
    std::optional<bool> ignores;
    std::string swapped;
    while (const dirent* e = listed.next()) {
        const std::string_view name = e->d_name;
        if (!ignores) {
            std::string other = swapAsciiCase(name);
            if (other == name) continue;
            struct stat st {};
            if (fstatat(folder, other.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
                ignores = false;
                break;
            }
            // Found: unless the rest of the listing has it as an entry of its own. Entries before
            // this one had no letters to swap, so none of them was it.
            ignores = true;
            swapped = std::move(other);
        } else if (name == swapped) {
            ignores = false;
            break;
        }
    }
    return ignores;
}

// Some FUSE drivers (lowntfs-3g) refuse a name longer than 255 bytes whatever its UTF-16 length.
// A lookup of a name of 256 bytes but 128 units tells them from the rest without creating it.
bool capsNamesAt255Bytes(int folder) {
    std::string longName;
    for (int i = 0; i < 128; ++i) longName += "\xC3\xA9";  // é
    struct stat st {};
    return fstatat(folder, longName.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 && errno == ENAMETOOLONG;
}

bool hasCasefoldFlag(int folder) {
    int flags = 0;
    return ioctl(folder, FS_IOC_GETFLAGS, &flags) == 0 && (static_cast<unsigned>(flags) & kCasefoldFlag) != 0;
}

bool hasOption(const std::string& options, std::string_view option) {
    std::size_t start = 0;
    while (start <= options.size()) {
        const std::size_t end = std::min(options.find(',', start), options.size());
        if (std::string_view(options).substr(start, end - start) == option) return true;
        start = end + 1;
    }
    return false;
}

std::string withoutTrailingSeparators(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

}  // namespace

Disk diskOf(const NativeName& folder) {
    Disk disk;
    struct stat st {};
    if (folder.empty() || stat(folder.c_str(), &st) != 0) return disk;
    disk.device = st.st_dev;

    std::string real = withoutTrailingSeparators(folder);
    if (char* resolved = realpath(folder.c_str(), nullptr)) {
        real = resolved;
        free(resolved);  // NOLINT(cppcoreguidelines-no-malloc): realpath allocates with malloc
    }
    Mount mount;
    if (auto found = mountOf(st.st_dev, real)) mount = std::move(*found);
    disk.type = mount.type;
    disk.source = mount.source;
    disk.mountPoint = mount.mountPoint;
    disk.changedOnlyHere = mount.type.rfind("fuseblk", 0) == 0;
    disk.userSpaceDriver = mount.type.rfind("fuse", 0) == 0;

    std::size_t nameMax = 255;
    struct statfs fs {};
    if (statfs(folder.c_str(), &fs) == 0 && fs.f_namelen > 0) nameMax = static_cast<std::size_t>(fs.f_namelen);

    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    auto probe = [fd] { return fd >= 0 ? probeIgnoresCase(fd) : std::nullopt; };

    switch (familyOf(mount, st.st_dev)) {
    case Family::Fat:
        disk.ignoresCase = true;
        disk.windowsNames = true;
        disk.units = NameUnits::Utf16;
        disk.lastingInodes = false;  // numbered as the driver meets the entries
        break;
    case Family::Ntfs:
        disk.windowsNames = true;
        disk.units = NameUnits::Utf16;
        disk.ignoresCase = probe().value_or(false);
        break;
    case Family::Smb:
        disk.ignoresCase = true;
        disk.windowsNames = true;
        disk.units = NameUnits::Utf16;
        // Without the server's numbers the client makes its own for each mount.
        disk.lastingInodes = !hasOption(mount.superOptions, "noserverino");
        break;
    case Family::UnknownBlockFuse:
        disk.windowsNames = true;
        disk.units = NameUnits::Utf16;
        disk.lastingInodes = false;
        // Most such disks are exFAT or NTFS; an empty folder cannot tell, and taking case as
        // ignored only makes more names count as taken.
        disk.ignoresCase = probe().value_or(true);
        break;
    case Family::Fuse:
        disk.maxName = nameMax;
        disk.lastingInodes = false;  // most drivers number entries per mount
        disk.ignoresCase = probe().value_or(false);
        break;
    case Family::Native:
        disk.maxName = nameMax;
        disk.ignoresCase = fd >= 0 && hasCasefoldFlag(fd);
        if (!disk.ignoresCase) disk.ignoresCase = probe().value_or(false);
        break;
    }
    if (disk.units == NameUnits::Utf16) {
        disk.maxName = 255;
        // 255 bytes never hold more than 255 UTF-16 units, so the byte limit is the one that counts.
        if (mount.type.rfind("fuse", 0) == 0 && fd >= 0 && capsNamesAt255Bytes(fd)) disk.units = NameUnits::Bytes;
    }
    if (fd >= 0) close(fd);
    return disk;
}

NameRefusal refusalOf(const NativeName& name, const Disk& disk) {
    if (!firstRefusedCharacter(name, disk).empty()) return NameRefusal::Character;
    if (disk.windowsNames) {
        if (isDeviceName(name)) return NameRefusal::DeviceName;
        if (!name.empty() && (name.back() == '.' || name.back() == ' ')) return NameRefusal::TrailingDotOrSpace;
    }
    if (lengthInUnits(name, disk.units) > disk.maxName) return NameRefusal::TooLong;
    return NameRefusal::None;
}

std::string refusedCharacter(const NativeName& name, const Disk& disk) {
    return std::string(firstRefusedCharacter(name, disk));
}

std::size_t lengthInUnits(std::string_view name, NameUnits units) {
    if (units == NameUnits::Bytes) return name.size();
    std::size_t length = 0;
    for (std::size_t i = 0; i < name.size();) {
        const Utf8Char c = decodeUtf8(name, i);
        if (c.length == 0) {
            ++length, ++i;  // a stray byte counts as one unit
        } else {
            length += c.code >= 0x10000 ? 2 : 1;
            i += c.length;
        }
    }
    return length;
}

std::string foldCase(std::string_view name) {
    const locale_t locale = unicodeCtype();
    std::string folded;
    folded.reserve(name.size());
    for (std::size_t i = 0; i < name.size();) {
        const auto byte = static_cast<unsigned char>(name[i]);
        if (byte < 0x80) {
            folded += asciiLower(name[i]);
            ++i;
            continue;
        }
        const Utf8Char c = decodeUtf8(name, i);
        if (c.length == 0 || !locale) {
            const std::size_t length = c.length == 0 ? 1 : c.length;
            folded.append(name.substr(i, length));
            i += length;
            continue;
        }
        // Through upper case, so that ς and σ, ſ and s, ϐ and β meet at their capital as the
        // disks' upcase tables compare them; lower case alone keeps them apart.
        const auto upper = static_cast<wint_t>(towupper_l(static_cast<wint_t>(c.code), locale));
        appendUtf8(static_cast<char32_t>(towlower_l(upper, locale)), folded);
        i += c.length;
    }
    return folded;
}

bool sameButForCase(std::string_view a, std::string_view b) { return a != b && foldCase(a) == foldCase(b); }

}  // namespace velmora
