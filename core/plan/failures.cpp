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

Text failureMark() { return "  ✗ "_t; }

Text failureReason(StepFailure failure, const Text& newName) {
    switch (failure) {
    case StepFailure::None:
        return {};
    case StepFailure::Invalid:
        return "名称无效"_t;
    case StepFailure::LeavesFolder:
        return "会移出文件夹"_t;
    case StepFailure::Exists:
        return "已有同名"_t;
    case StepFailure::TakenByRun:
        return "本次前面的改名已占用这个名称"_t;
    case StepFailure::OutOfRange:
        return "序号超出范围"_t;
    case StepFailure::DiskCharacter: {
        Disk windows;
        windows.windowsNames = true;
        const auto native = textToNative(newName);
        const std::string c = native ? refusedCharacter(*native, windows) : std::string();
        if (c.empty() || static_cast<unsigned char>(c[0]) < 0x20) return "这个磁盘的文件名里不能有控制字符"_t;
        return "这个磁盘的文件名里不能有 "_t + nativeToText(c).text;
    }
    case StepFailure::DiskDeviceName:
        return "这个磁盘的文件名不能是设备名（CON、NUL、COM1等）"_t;
    case StepFailure::DiskTrailingDotOrSpace:
        return "这个磁盘的文件名不能以点或空格结尾"_t;
    case StepFailure::TooLong:
        return "名称太长，这个磁盘放不下"_t;
    }
    return {};
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
