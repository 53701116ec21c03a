#include "core/plan/failures.h"

#include "core/fs/disk.h"
#include "core/fs/file_system.h"
#include "core/fs/folder_reader.h"
#include "core/fs/paths.h"

namespace velmora {

NameSet namesIn(const Text& folder) {
    auto names = std::make_shared<NameList>();
    const auto native = textToNative(folder);
    if (!native) return {};
    FolderReader reader(*native);
    if (!reader.isOpen()) return {};
    while (const dirent* e = reader.next()) names->addWithNative(e->d_name, e->d_ino);
    return NameSet({std::shared_ptr<const NameList>(std::move(names))});
}

StepFailure diskRefusal(const NativeName& name, const Disk* disk) {
    static const Disk plain;
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
    if (newNative->find(kSeparator) != std::string::npos || *newNative == "..") return StepFailure::LeavesFolder;
    if (!isValidEntryName(*newNative) || *newNative == oldNative) return StepFailure::Invalid;
    return diskRefusal(*newNative, disk);
}

std::string comparedName(std::string_view name, const Disk* disk) {
    return disk && disk->ignoresCase ? foldCase(name) : std::string(name);
}

}  // namespace velmora
