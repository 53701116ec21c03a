#include "core/plan/failures.h"

#include "core/fs/disk.h"
#include "core/fs/file_system.h"
#include "core/fs/folder_reader.h"
#include "core/fs/folder_walk.h"
#include "core/fs/paths.h"

namespace velmora {

namespace {

// The folder part of a relative path, its separator included; empty for a name of the folder itself.
std::string_view folderPart(std::string_view path) {
    const std::size_t slash = path.rfind(kSeparator);
    return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash + 1);
}

}  // namespace

NameSet namesIn(const Text& folder, Reach reach) {
    auto names = std::make_shared<NameList>();
    const auto native = textToNative(folder);
    if (!native) return {};
    if (reach == Reach::Below) {
        walkBelow(*native, [&](const WalkedEntry& w) {
            names->addWithNative(w.path, w.entry->d_ino);
            return true;
        });
        return NameSet({std::shared_ptr<const NameList>(std::move(names))});
    }
    FolderReader reader(*native);
    if (!reader.isOpen()) return {};
    while (const dirent* e = reader.next()) names->addWithNative(e->d_name, e->d_ino);
    return NameSet({std::shared_ptr<const NameList>(std::move(names))});
}

StepFailure diskRefusal(const NativeName& path, const Disk* disk) {
    static const Disk plain;
    const std::size_t slash = path.rfind(kSeparator);
    const NativeName name = slash == std::string::npos ? path : path.substr(slash + 1);
    switch (refusalOf(name, disk ? *disk : plain)) {
    case NameRefusal::None:
        return StepFailure::None;
    case NameRefusal::Character:
        return StepFailure::DiskCharacter;
    case NameRefusal::DeviceName:
        return StepFailure::DiskDeviceName;
    case NameRefusal::TrailingDotOrSpace:
        return StepFailure::DiskTrailingDotOrSpace;
    case NameRefusal::TooLong:
        return StepFailure::TooLong;
    }
    return StepFailure::None;
}

StepFailure nameFailure(StepFailure refusal, bool exact, const std::optional<NativeName>& newNative,
                        std::string_view oldNative, const Disk* disk) {
    if (refusal != StepFailure::None) return refusal;
    if (!exact || !newNative) return StepFailure::Invalid;
    const std::string_view folder = folderPart(oldNative);
    if (folderPart(*newNative) != folder) return StepFailure::LeavesFolder;
    const NativeName name = newNative->substr(folder.size());
    if (name == "..") return StepFailure::LeavesFolder;
    if (!isValidEntryName(name) || *newNative == oldNative) return StepFailure::Invalid;
    return diskRefusal(name, disk);
}

std::string comparedName(std::string_view name, const Disk* disk) {
    return disk && disk->ignoresCase ? foldCase(name) : std::string(name);
}

}  // namespace velmora
