#include "core/fs/disk.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <vector>

#include "core/fs/file_system.h"
#include "tests/support/disk_image.h"
#include "tests/support/temp_folder.h"

namespace velmora {

void PrintTo(NameRefusal refusal, std::ostream* os) {
    switch (refusal) {
    case NameRefusal::None:
        *os << "None";
        return;
    case NameRefusal::Character:
        *os << "Character";
        return;
    case NameRefusal::TrailingDotOrSpace:
        *os << "TrailingDotOrSpace";
        return;
    case NameRefusal::DeviceName:
        *os << "DeviceName";
        return;
    case NameRefusal::TooLong:
        *os << "TooLong";
        return;
    }
}

namespace {

using testing::DiskImage;
using testing::ImageFormat;
using testing::TempFolder;

std::string repeat(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

// A name as a reader of the test log can tell it apart: control bytes, DEL and stray bytes
// escaped, long names shortened.
std::string shown(const std::string& name) {
    const bool utf8 = utf8ToText(name).exact;
    std::string out;
    for (const char byte : name) {
        const auto c = static_cast<unsigned char>(byte);
        if (c < 0x20 || c == 0x7F || (c >= 0x80 && !utf8)) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", c);
            out += hex;
        } else {
            out += byte;
        }
    }
    if (name.size() > 40)
        out = std::to_string(lengthInUnits(name, NameUnits::Utf16)) + " units: " + out.substr(0, 12) + "…";
    return "\"" + out + "\"";
}

Disk windowsDisk() {
    Disk disk;
    disk.windowsNames = true;
    disk.ignoresCase = true;
    disk.units = NameUnits::Utf16;
    disk.maxName = 255;
    return disk;
}

Disk plainDisk() { return Disk{}; }  // ext4 as a folder on it is seen: bytes, 255

struct RefusalCase {
    std::string name;
    NameRefusal onWindows;
    NameRefusal onPlain;
    std::string character = {};  ///< refusedCharacter on the Windows disk
};

TEST(DiskNames, refusalsOnAWindowsDiskAndAPlainOne) {
    using R = NameRefusal;
    const std::vector<RefusalCase> cases = {
        // Names every disk stores.
        {"photo.jpg", R::None, R::None},
        {" leading space.txt", R::None, R::None},
        {".hidden", R::None, R::None},
        {"a..b", R::None, R::None},
        {"\x7f", R::None, R::None},
        {"中文 名字.txt", R::None, R::None},
        {"😀.txt", R::None, R::None},
        // Characters, each named by refusedCharacter.
        {"a\\b", R::Character, R::None, "\\"},
        {"a:b", R::Character, R::None, ":"},
        {"a*b", R::Character, R::None, "*"},
        {"a?b", R::Character, R::None, "?"},
        {"a\"b", R::Character, R::None, "\""},
        {"a<b>c", R::Character, R::None, "<"},
        {"a>b", R::Character, R::None, ">"},
        {"a|b", R::Character, R::None, "|"},
        {"a\x01", R::Character, R::None, "\x01"},
        {"tab\there", R::Character, R::None, "\t"},
        {"a\x1f", R::Character, R::None, "\x1f"},
        {"中文:名字", R::Character, R::None, ":"},
        // Bytes that are not UTF-8 cannot become UTF-16.
        {"\xff.txt", R::Character, R::None, "\xff"},
        {"第\xe4\xb8.txt", R::Character, R::None, "\xe4"},
        // Devices, in any case, with or without an extension.
        {"CON", R::DeviceName, R::None},
        {"con.txt", R::DeviceName, R::None},
        {"Lpt1.log", R::DeviceName, R::None},
        {"nul.tar.gz", R::DeviceName, R::None},
        {"aux", R::DeviceName, R::None},
        {"Prn.doc", R::DeviceName, R::None},
        {"COM9", R::DeviceName, R::None},
        {"COM¹.txt", R::DeviceName, R::None},
        {"CON .txt", R::DeviceName, R::None},
        {"COM10", R::None, R::None},
        {"COM0", R::None, R::None},
        {"LPT", R::None, R::None},
        {"CONSOLE.txt", R::None, R::None},
        {"icon.png", R::None, R::None},
        {"my.con", R::None, R::None},
        // Trailing dots and spaces.
        {"a.", R::TrailingDotOrSpace, R::None},
        {"a ", R::TrailingDotOrSpace, R::None},
        {"a. ", R::TrailingDotOrSpace, R::None},
        {"中文。 .", R::TrailingDotOrSpace, R::None},
        // The order in which the reasons are told.
        {"a:.", R::Character, R::None, ":"},
        {"CON:", R::Character, R::None, ":"},
        {"PRN.", R::DeviceName, R::None},
        {"AUX ", R::DeviceName, R::None},
        {repeat("a", 256) + ".", R::TrailingDotOrSpace, R::TooLong},
        {"a:" + repeat("b", 300), R::Character, R::TooLong, ":"},
        // Length: bytes on the plain disk, UTF-16 units on the Windows one.
        {repeat("a", 255), R::None, R::None},
        {repeat("a", 256), R::TooLong, R::TooLong},
        {repeat("中", 85), R::None, R::None},
        {repeat("中", 86), R::None, R::TooLong},
        {repeat("中", 255), R::None, R::TooLong},
        {repeat("中", 256), R::TooLong, R::TooLong},
        {repeat("😀", 127) + "a", R::None, R::TooLong},
        {repeat("😀", 128), R::TooLong, R::TooLong},
    };
    for (const RefusalCase& c : cases) {
        SCOPED_TRACE(shown(c.name));
        EXPECT_EQ(refusalOf(c.name, windowsDisk()), c.onWindows);
        EXPECT_EQ(refusalOf(c.name, plainDisk()), c.onPlain);
        EXPECT_EQ(refusedCharacter(c.name, windowsDisk()), c.character);
        EXPECT_EQ(refusedCharacter(c.name, plainDisk()), "");
    }
}

TEST(DiskNames, theLimitIsTheDisksOwn) {
    Disk narrow = plainDisk();
    narrow.maxName = 10;
    EXPECT_EQ(refusalOf("abcdefghij", narrow), NameRefusal::None);
    EXPECT_EQ(refusalOf("abcdefghijk", narrow), NameRefusal::TooLong);
    narrow.units = NameUnits::Utf16;
    EXPECT_EQ(refusalOf(repeat("中", 10), narrow), NameRefusal::None);
    EXPECT_EQ(refusalOf(repeat("中", 11), narrow), NameRefusal::TooLong);
}

TEST(DiskNames, lengthInBytesAndInUtf16Units) {
    struct Case {
        std::string name;
        std::size_t bytes;
        std::size_t units;
    };
    const std::vector<Case> cases = {
        {"", 0, 0},
        {"abc", 3, 3},
        {"é", 2, 1},
        {"中", 3, 1},
        {repeat("中", 100), 300, 100},
        {"😀", 4, 2},
        {"a😀中", 8, 4},
        {"\xff\xfe", 2, 2},  // stray bytes: one unit each
        {"\xe4\xb8", 2, 2},  // a character cut short
        {"\xe4\xb8"
         "a",
         3, 3},  // ... followed by a letter, which still counts once
        {"\xf0\x9f\x98", 3, 3},  // an emoji cut short
        {"\xc0\xaf", 2, 2},  // an overlong '/'
        {"\xed\xa0\x80", 3, 3},  // a surrogate written as UTF-8
        {"\xf4\x90\x80\x80", 4, 4},  // beyond U+10FFFF
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(shown(c.name));
        EXPECT_EQ(lengthInUnits(c.name, NameUnits::Bytes), c.bytes);
        EXPECT_EQ(lengthInUnits(c.name, NameUnits::Utf16), c.units);
    }
}

TEST(DiskNames, foldCaseFoldsEveryScriptWithCaseAndKeepsTheRest) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"IMG_0001.JPG", "img_0001.jpg"},
        {"É", "é"},
        {"ÀÉÎÕÜÇ", "àéîõüç"},
        {"ΣΑΣ", "σασ"},
        {"ς", "σ"},
        {"Жук", "жук"},
        {"ＡＢＣ", "ａｂｃ"},
        {"中文名字.TXT", "中文名字.txt"},
        {"😀A", "😀a"},
        {"ß", "ß"},
        {"\xc2\x80"
         "A",
         "\xc2\x80"
         "a"},
        {"\xff"
         "ABC",
         "\xff"
         "abc"},
        {"\xe4\xb8"
         "A",
         "\xe4\xb8"
         "a"},
    };
    for (const auto& [in, out] : cases) {
        SCOPED_TRACE(shown(in));
        EXPECT_EQ(foldCase(in), out);
    }
}

TEST(DiskNames, sameButForCaseOnlyForDifferentSpellingsOfOneName) {
    struct Case {
        std::string a;
        std::string b;
        bool same;
    };
    const std::vector<Case> cases = {
        {"a.txt", "A.TXT", true},
        {"a.txt", "a.txt", false},
        {"É.jpg", "é.JPG", true},
        {"ΣΑΣ", "σας", true},
        {"Жук", "жук", true},
        {"ＡＢＣ", "ａｂｃ", true},
        {"中文", "中文", false},
        {"中文", "中文 ", false},
        {"a", "b", false},
        {"ß", "SS", false},
        {"\xff", "\xfe", false},
        {"\xff"
         "A",
         "\xff"
         "a",
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(shown(c.a) + " " + shown(c.b));
        EXPECT_EQ(sameButForCase(c.a, c.b), c.same);
        EXPECT_EQ(sameButForCase(c.b, c.a), c.same);
    }
}

// --- The disk under a folder of this machine -----------------------------------------------------

std::string realFolder(const std::string& path) {
    char* resolved = realpath(path.c_str(), nullptr);
    std::string out = resolved ? resolved : path;
    std::free(resolved);
    return out;
}

bool isUnder(const std::string& path, const std::string& mountPoint) {
    return mountPoint == "/" || path == mountPoint || path.rfind(mountPoint + "/", 0) == 0;
}

TEST(DiskOfFolder, aTemporaryFolderTellsCaseApartAndCountsBytes) {
    TempFolder f;
    f.file("Readme.txt");
    f.file("中文.txt");
    const Disk disk = diskOf(f.path());
    struct stat st {};
    ASSERT_EQ(stat(f.path().c_str(), &st), 0);
    struct statfs fs {};
    ASSERT_EQ(statfs(f.path().c_str(), &fs), 0);
    EXPECT_EQ(disk.device, st.st_dev);
    EXPECT_FALSE(disk.type.empty());
    EXPECT_FALSE(disk.source.empty());
    EXPECT_TRUE(isUnder(realFolder(f.path()), disk.mountPoint)) << disk.mountPoint;
    EXPECT_FALSE(disk.ignoresCase);
    EXPECT_FALSE(disk.windowsNames);
    EXPECT_EQ(disk.units, NameUnits::Bytes);
    EXPECT_EQ(disk.maxName, static_cast<std::size_t>(fs.f_namelen));
    EXPECT_TRUE(disk.lastingInodes);
    EXPECT_FALSE(disk.userSpaceDriver);
    EXPECT_FALSE(disk.changedOnlyHere);
    std::printf("%s is on %s (%s at %s)\n", f.path().c_str(), disk.type.c_str(), disk.source.c_str(),
                disk.mountPoint.c_str());
}

TEST(DiskOfFolder, twoEntriesSpelledApartInCaseDoNotMakeTheDiskIgnoreCase) {
    // Looked up with its case swapped, either entry is found: it is the other one.
    TempFolder f;
    f.file("a.txt", "small");
    f.file("A.TXT", "CAPITAL");
    EXPECT_FALSE(diskOf(f.path()).ignoresCase);
}

TEST(DiskOfFolder, withOrWithoutItsSeparatorAndThroughALink) {
    TempFolder f;
    f.folder("sub");
    ASSERT_EQ(symlink((f.path() + "sub").c_str(), (f.path() + "link").c_str()), 0);
    const Disk expected = diskOf(f.path());
    for (const std::string& path : {f.path().substr(0, f.path().size() - 1), f.path() + "sub", f.path() + "link/"}) {
        SCOPED_TRACE(path);
        const Disk disk = diskOf(path);
        EXPECT_EQ(disk.type, expected.type);
        EXPECT_EQ(disk.mountPoint, expected.mountPoint);
        EXPECT_EQ(disk.device, expected.device);
        EXPECT_EQ(disk.units, expected.units);
    }
}

TEST(DiskOfFolder, aFolderThatCannotBeReadGivesAPlainDisk) {
    TempFolder f;
    const Disk disk = diskOf(f.path() + "missing/");
    EXPECT_EQ(disk.device, 0U);
    EXPECT_EQ(disk.type, "");
    EXPECT_FALSE(disk.ignoresCase);
    EXPECT_FALSE(disk.windowsNames);
    EXPECT_EQ(disk.units, NameUnits::Bytes);
    EXPECT_EQ(disk.maxName, 255U);
    EXPECT_TRUE(disk.lastingInodes);
}

// A disk mounted a second time elsewhere (a bind mount) is found where the folder is seen.
TEST(DiskOfFolder, aSecondMountOfTheDiskElsewhereIsNotTheFolders) {
    TempFolder f;
    f.folder("inner");
    f.folder("elsewhere");
    const Disk before = diskOf(f.path());
    const std::string elsewhere = f.path() + "elsewhere";
    if (mount((f.path() + "inner").c_str(), elsewhere.c_str(), nullptr, MS_BIND, nullptr) != 0)
        GTEST_SKIP() << "no permission to bind-mount here";
    const Disk outside = diskOf(f.path());
    const Disk inside = diskOf(elsewhere + "/");
    umount2(elsewhere.c_str(), MNT_DETACH);
    EXPECT_EQ(outside.mountPoint, before.mountPoint);
    EXPECT_EQ(inside.mountPoint, realFolder(elsewhere + "/"));
    EXPECT_EQ(inside.device, before.device);
}

// The type the kernel gives the folder's file system, as a check on which mount was found.
TEST(DiskOfFolder, findsTheMountTheKernelPutsTheFolderOn) {
    const std::map<long, std::set<std::string>> typesOfMagic = {
        {0xEF53, {"ext2", "ext3", "ext4"}},
        {0x01021994, {"tmpfs"}},
        {0x9FA0, {"proc"}},
        {0x62656572, {"sysfs"}},
        {0x9123683E, {"btrfs"}},
        {0x58465342, {"xfs"}},
        {0x794C7630, {"overlay"}},
        {0x1CD1, {"devpts"}},
    };
    TempFolder f;
    int checked = 0;
    for (const std::string& folder : {std::string("/"), std::string("/proc/self/"), std::string("/sys/"),
                                      std::string("/dev/shm/"), std::string("/dev/pts"), f.path()}) {
        struct statfs fs {};
        if (statfs(folder.c_str(), &fs) != 0) continue;
        const auto known = typesOfMagic.find(static_cast<long>(fs.f_type));
        if (known == typesOfMagic.end()) continue;
        SCOPED_TRACE(folder);
        const Disk disk = diskOf(folder);
        EXPECT_TRUE(known->second.count(disk.type)) << disk.type;
        EXPECT_TRUE(isUnder(realFolder(folder), disk.mountPoint)) << disk.mountPoint;
        ++checked;
    }
    EXPECT_GE(checked, 2);
}

// --- Disks as cards and Windows partitions appear through FUSE -----------------------------------

struct ImageCase {
    ImageFormat format;
    const char* testName;
    bool ignoresCase;
    bool emptyFolderIgnoresCase;  ///< where no entry can show it: what the format is known to do
    bool lastingInodes;
    NameUnits units = NameUnits::Utf16;
};

void PrintTo(const ImageCase& c, std::ostream* os) { *os << DiskImage::formatName(c.format); }

class DiskOfImage : public ::testing::TestWithParam<ImageCase> {};

// exFAT ignores case by its format. NTFS tells case apart unless its driver ignores it, which only
// an entry looked up under another spelling shows; ntfs-3g numbers entries by their MFT records.
// lowntfs-3g refuses names of more than 255 bytes, fewer than 255 UTF-16 units when not ASCII.
INSTANTIATE_TEST_SUITE_P(FuseMounts, DiskOfImage,
                         ::testing::Values(ImageCase{ImageFormat::Exfat, "exfatFuse", true, true, false},
                                           ImageCase{ImageFormat::Ntfs, "ntfs3g", false, false, true},
                                           ImageCase{ImageFormat::NtfsIgnoringCase, "lowntfs3gIgnoringCase", true,
                                                     false, true, NameUnits::Bytes}),
                         [](const ::testing::TestParamInfo<ImageCase>& info) { return info.param.testName; });

void makeFile(const std::string& path) {
    const int fd = open(path.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0) << path << ": " << std::strerror(errno);
    close(fd);
}

TEST_P(DiskOfImage, casesUnitsAndInodesAsTheFormatHasThem) {
    const ImageCase& c = GetParam();
    VELMORA_SKIP_WITHOUT_DISK_IMAGE(c.format);
    SCOPED_TRACE(DiskImage::formatName(c.format));
    DiskImage image(c.format);
    const std::string root = image.path();
    ASSERT_EQ(mkdir((root + "DCIM").c_str(), 0755), 0);
    ASSERT_EQ(mkdir((root + "empty").c_str(), 0755), 0);
    makeFile(root + "Photo.JPG");
    makeFile(root + "DCIM/IMG_0001.JPG");
    const std::string mountPoint = root.substr(0, root.size() - 1);
    for (const std::string& folder : {root, mountPoint, root + "DCIM/", root + "empty"}) {
        SCOPED_TRACE(folder);
        const Disk disk = diskOf(folder);
        EXPECT_EQ(disk.type, "fuseblk");
        EXPECT_EQ(disk.source, image.device());
        EXPECT_EQ(disk.mountPoint, mountPoint);  // written "card\0401" in the mount table
        EXPECT_EQ(disk.ignoresCase, folder == root + "empty" ? c.emptyFolderIgnoresCase : c.ignoresCase);
        EXPECT_TRUE(disk.windowsNames);
        EXPECT_EQ(disk.units, c.units);
        EXPECT_EQ(disk.maxName, 255U);
        EXPECT_EQ(disk.lastingInodes, c.lastingInodes);
        EXPECT_TRUE(disk.userSpaceDriver);
        EXPECT_TRUE(disk.changedOnlyHere);
    }
}

TEST_P(DiskOfImage, aDiskSaidToKeepInodeNumbersKeepsThemAcrossARemount) {
    const ImageCase& c = GetParam();
    VELMORA_SKIP_WITHOUT_DISK_IMAGE(c.format);
    SCOPED_TRACE(DiskImage::formatName(c.format));
    DiskImage image(c.format);
    const std::vector<std::string> names = {"a.txt", "DCIM/", "DCIM/b.txt", "第1集.mp4"};
    ASSERT_EQ(mkdir((image.path() + "DCIM").c_str(), 0755), 0);
    for (const std::string& name : names)
        if (name.back() != '/') makeFile(image.path() + name);
    const bool lasting = diskOf(image.path()).lastingInodes;
    auto inodes = [&] {
        std::vector<ino_t> numbers;
        for (const std::string& name : names) {
            struct stat st {};
            EXPECT_EQ(stat((image.path() + name).c_str(), &st), 0) << name;
            numbers.push_back(st.st_ino);
        }
        return numbers;
    };
    const std::vector<ino_t> before = inodes();
    image.remount();
    const std::vector<ino_t> after = inodes();
    if (lasting) {
        EXPECT_EQ(before, after);
    } else if (before == after) {
        std::printf("note: %s kept its inode numbers this time\n", DiskImage::formatName(c.format));
    }
}

// What udev recorded for the device behind a FUSE mount is believed before its boot sector: here
// it calls an exFAT image NTFS, whose entries keep their numbers.
TEST(DiskOfUdevRecord, theRecordedFormatDecides) {
    VELMORA_SKIP_WITHOUT_DISK_IMAGE(ImageFormat::Exfat);
    DiskImage image(ImageFormat::Exfat);
    struct stat device {};
    ASSERT_EQ(stat(image.device().c_str(), &device), 0);
    const std::string folder = "/run/udev/data";
    const std::string record =
        folder + "/b" + std::to_string(major(device.st_rdev)) + ":" + std::to_string(minor(device.st_rdev));
    const bool hadUdev = std::filesystem::exists("/run/udev");
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error || std::filesystem::exists(record)) GTEST_SKIP() << "udev keeps records here";
    EXPECT_FALSE(diskOf(image.path()).lastingInodes);
    std::ofstream(record) << "S:disk/by-label/CARD\nE:ID_FS_TYPE=ntfs\nE:ID_FS_LABEL=CARD\n";
    const Disk recorded = diskOf(image.path());
    std::filesystem::remove(record);
    if (!hadUdev) std::filesystem::remove_all("/run/udev");
    EXPECT_TRUE(recorded.lastingInodes);
    EXPECT_TRUE(recorded.windowsNames);
}

// A change of case only, asked of the folder itself: where the disk ignores case it goes through a
// temporary name, never one a file of the user holds.
TEST_P(DiskOfImage, aChangeOfCaseOnlyPassesOverATemporaryNameInUse) {
    const ImageCase& c = GetParam();
    VELMORA_SKIP_WITHOUT_DISK_IMAGE(c.format);
    SCOPED_TRACE(DiskImage::formatName(c.format));
    DiskImage image(c.format);
    const std::string root = image.path();
    makeFile(root + "Photo.JPG");
    const int fd = open((root + "改名中转-大小写1").c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0) << std::strerror(errno);
    ASSERT_EQ(write(fd, "mine", 4), 4);
    close(fd);
    EXPECT_TRUE(FolderHandle(root).rename("Photo.JPG", "photo.jpg")) << std::strerror(errno);
    const auto contents = testing::contentsOf(root);
    EXPECT_EQ(contents.size(), 2u);
    EXPECT_EQ(contents.count("photo.jpg"), 1u);
    EXPECT_EQ(contents.at("改名中转-大小写1"), "mine");
}

// A run of many renames where the disk has no rename that refuses to replace: a name another
// program takes in the middle of it, in any spelling the disk counts as the same, is never renamed
// onto; once freed it is renamed onto as any other.
TEST_P(DiskOfImage, aNameAnotherProgramTakesDuringARunIsNeverRenamedOnto) {
    const ImageCase& c = GetParam();
    VELMORA_SKIP_WITHOUT_DISK_IMAGE(c.format);
    SCOPED_TRACE(DiskImage::formatName(c.format));
    DiskImage image(c.format);
    const std::string root = image.path();
    constexpr int n = 40;
    for (int i = 0; i < n; ++i) makeFile(root + "f" + std::to_string(i));
    const FolderHandle folder(root);
    for (int i = 0; i < n / 2; ++i)
        ASSERT_TRUE(folder.rename("f" + std::to_string(i), "g" + std::to_string(i))) << i << std::strerror(errno);
    const std::vector<std::string> spellings =
        c.ignoresCase ? std::vector<std::string>{"taken", "TAKEN"} : std::vector<std::string>{"taken"};
    for (const std::string& spelling : spellings) {
        SCOPED_TRACE(spelling);
        const int fd = open((root + "taken").c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0644);
        ASSERT_GE(fd, 0) << std::strerror(errno);
        ASSERT_EQ(write(fd, "theirs", 6), 6);
        close(fd);
        const Expected<void, int> refused = folder.rename("f30", spelling);
        ASSERT_FALSE(refused);
        EXPECT_EQ(refused.error(), EEXIST);
        EXPECT_EQ(testing::contentsOf(root)["taken"], "theirs");
        ASSERT_EQ(unlink((root + "taken").c_str()), 0);
        EXPECT_TRUE(folder.rename("f30", spelling)) << std::strerror(errno);
        EXPECT_TRUE(folder.rename(spelling, "f30")) << std::strerror(errno);
    }
}

// What the mounted disk itself accepts: it may refuse more than we do only where we know it and
// refuse it first; every name we allow must be creatable. Names we refuse that it takes (Windows
// could not open them) are only listed.
TEST_P(DiskOfImage, everyNameWeAllowTheDiskAccepts) {
    const std::vector<std::string> names = {
        "photo.jpg",
        "中文 名字.txt",
        "ä.txt",
        "😀.txt",
        " leading",
        ".hidden",
        "a..b",
        "\x7f",
        "COM0",
        "COM10",
        "CONSOLE",
        "icon.png",
        repeat("a", 255),
        repeat("中", 255),
        repeat("😀", 127) + "a",
        repeat("a", 256),
        repeat("中", 256),
        repeat("😀", 128),
        "a:b",
        "a?b",
        "a*b",
        "a\"b",
        "a<b",
        "a>b",
        "a|b",
        "a\\b",
        "a\x01",
        "\xff.txt",
        "a.",
        "a ",
        "CON",
        "con.txt",
        "LPT1.log",
        "COM¹",
        "CON .txt",
        "aux.",
        "nul.tar.gz",
    };
    const ImageCase& c = GetParam();
    VELMORA_SKIP_WITHOUT_DISK_IMAGE(c.format);
    SCOPED_TRACE(DiskImage::formatName(c.format));
    DiskImage image(c.format);
    const Disk disk = diskOf(image.path());
    int refusedByBoth = 0;
    for (const std::string& name : names) {
        SCOPED_TRACE(shown(name));
        const std::string path = image.path() + name;
        const int fd = open(path.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0644);
        const int error = errno;
        if (fd >= 0) {
            close(fd);
            EXPECT_EQ(unlink(path.c_str()), 0);
        }
        const NameRefusal refusal = refusalOf(name, disk);
        if (refusal == NameRefusal::None) {
            EXPECT_GE(fd, 0) << "allowed, but the disk says " << std::strerror(error);
        } else if (fd >= 0) {
            std::printf("note: %s accepts %s, which we refuse (%s)\n", DiskImage::formatName(c.format),
                        shown(name).c_str(), ::testing::PrintToString(refusal).c_str());
        } else {
            ++refusedByBoth;
        }
    }
    EXPECT_GT(refusedByBoth, 0);  // the disk does refuse names: the test looks where it should
}

// A disk that ignores case finds a name under every spelling it takes for the same; we must call
// those spellings the same too, or a rename onto one would replace the other's file. A disk that
// tells case apart finds none of them.
TEST_P(DiskOfImage, everySpellingTheDiskTakesForTheSameNameWeCallTheSame) {
    const ImageCase& c = GetParam();
    VELMORA_SKIP_WITHOUT_DISK_IMAGE(c.format);
    DiskImage image(c.format);
    const std::vector<std::pair<std::string, std::string>> spellings = {
        {"photo.jpg", "PHOTO.JPG"},
        {"é.txt", "É.TXT"},
        {"àçõ", "ÀÇÕ"},
        {"σ.txt", "Σ.txt"},
        {"ς.txt", "Σ.txt"},
        {"жук", "ЖУК"},
        {"ａｂ", "ＡＢ"},
        {"ά", "Ά"},
        {"ÿ", "Ÿ"},
        {"ǆ", "ǅ"},
        {"ı", "I"},
        {"ß", "ẞ"},
        {"ſ", "S"},
        {"ꭰ", "Ꭰ"},
    };
    const int folder = open(image.path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(folder, 0);
    int sameOnDisk = 0;
    for (const auto& [made, other] : spellings) {
        SCOPED_TRACE(made + " " + other);
        makeFile(image.path() + made);
        struct stat st {};
        const bool found = fstatat(folder, other.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
        EXPECT_EQ(unlink((image.path() + made).c_str()), 0);
        if (found) {
            ++sameOnDisk;
            EXPECT_TRUE(sameButForCase(made, other)) << "the disk takes them for one name";
        } else if (c.ignoresCase && sameButForCase(made, other)) {
            std::printf("note: %s keeps %s and %s apart; we call them the same\n", DiskImage::formatName(c.format),
                        made.c_str(), other.c_str());
        }
    }
    close(folder);
    if (c.ignoresCase) {
        EXPECT_GE(sameOnDisk, 8);  // at least the Latin, Greek, Cyrillic and full-width pairs
    } else {
        EXPECT_EQ(sameOnDisk, 0);
    }
}

}  // namespace
}  // namespace velmora
