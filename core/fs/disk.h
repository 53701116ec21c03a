#pragma once
// What the disk under a folder does with names: whether it tells letter case apart, which names
// it refuses, how long a name may be in its own units, and whether its inode numbers last. Learnt
// read-only, without creating anything in the folder.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/text/encoding.h"

namespace velmora {

/// How a name's length is measured against the disk's limit.
enum class NameUnits : std::uint8_t {
    Bytes,  ///< bytes of the name as the kernel passes it (ext4, btrfs, xfs, tmpfs, …)
    Utf16,  ///< UTF-16 code units (exFAT, FAT long names, NTFS, SMB shares)
};

/// Why a disk refuses a name.
enum class NameRefusal : std::uint8_t {
    None,
    Character,  ///< a character the disk cannot store (which one: refusedCharacter)
    TrailingDotOrSpace,
    DeviceName,  ///< CON, PRN, AUX, NUL, COM1–COM9, LPT1–LPT9, with or without an extension
    TooLong,
};

struct Disk {
    std::string type;  ///< the file system's type as the mount table names it ("ext4", "fuseblk", …)
    std::string source;  ///< the mount's source ("/dev/sdb1", …)
    std::string mountPoint;
    std::uint64_t device = 0;  ///< st_dev of the folder
    bool ignoresCase = false;  ///< "a.txt" and "A.TXT" name one entry
    bool windowsNames = false;  ///< refuses what Windows refuses (characters, device names, …)
    NameUnits units = NameUnits::Bytes;
    std::size_t maxName = 255;  ///< in units
    bool lastingInodes = true;  ///< an entry keeps its inode number across a remount
    /// A FUSE driver over a local device: every change to its names passes through this kernel,
    /// whose change notices tell of each (not so for network and phone mounts).
    bool changedOnlyHere = false;
    /// Served by a FUSE driver (any "fuse…" type), whose folder look-ups walk the folder's entries.
    bool userSpaceDriver = false;
};

/// The disk under folder (a native path, with or without its trailing separator). Reads the mount
/// table and statfs; behind a FUSE block mount the format on the device (udev's record or the boot
/// sector, where readable); where they cannot tell whether case is ignored, looks one existing
/// entry of the folder up under another letter case. A FUSE driver that caps names at 255 bytes
/// is found by looking up a long name that cannot exist, and gets Bytes. Creates nothing. A
/// folder that cannot be reached gives a plain disk (case told apart, bytes, 255, lasting inodes).
Disk diskOf(const NativeName& folder);

/// Why disk refuses name (a native name, UTF-8), or None. Checked in this order: Character,
/// DeviceName, TrailingDotOrSpace, TooLong. On a disk taking Windows names (they store UTF-16) a
/// byte that is not part of a UTF-8 character is a refused Character: the driver cannot convert it.
NameRefusal refusalOf(const NativeName& name, const Disk& disk);

/// The first character of name that disk cannot store (UTF-8; a byte that is not UTF-8 alone), or
/// empty.
std::string refusedCharacter(const NativeName& name, const Disk& disk);

/// Name in its length units of disk.
std::size_t lengthInUnits(std::string_view name, NameUnits units);

/// Name with letter case folded, as a disk that ignores case compares names (UTF-8 in and out;
/// bytes that are not UTF-8 are kept as they are).
std::string foldCase(std::string_view name);

/// True when the two names differ only in letter case (and are not the same bytes).
bool sameButForCase(std::string_view a, std::string_view b);

}  // namespace velmora
