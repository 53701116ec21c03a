#include "interaction/reasons.h"

#include <cerrno>

#include "core/fs/disk.h"

namespace velmora {

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
    case StepFailure::NoDateTaken:
        return "没有拍摄日期"_t;
    case StepFailure::NoTimeTaken:
        return "没有拍摄时间"_t;
    case StepFailure::NoCamera:
        return "没有相机型号"_t;
    case StepFailure::NoWidth:
        return "没有宽度"_t;
    case StepFailure::NoHeight:
        return "没有高度"_t;
    case StepFailure::NoModifiedDate:
        return "没有修改日期"_t;
    case StepFailure::NoModifiedTime:
        return "没有修改时间"_t;
    case StepFailure::NoArtist:
        return "没有艺术家"_t;
    case StepFailure::NoTitle:
        return "没有标题"_t;
    case StepFailure::NoAlbum:
        return "没有专辑"_t;
    case StepFailure::NoTrack:
        return "没有音轨号"_t;
    case StepFailure::NoYear:
        return "没有年份"_t;
    }
    return {};
}

Text renameFailureReason(int error) {
    switch (error) {
    case EEXIST:
    case ENOTEMPTY:
        return "已有同名"_t;
    case ENOENT:
        return "找不到原来的文件，或这个磁盘不接受新名称"_t;
    case EACCES:
    case EPERM:
        return "没有权限"_t;
    case EROFS:
        return "磁盘是只读的"_t;
    case ENAMETOOLONG:
        return "名称太长，这个磁盘放不下"_t;
    case EBUSY:
        return "正在使用"_t;
    case EINVAL:
        return "这个磁盘不接受新名称"_t;
    case ENOSPC:
        return "磁盘已满"_t;
    case EXDEV:
        return "会移出文件夹"_t;
    case EIO:
        return "磁盘读写出错"_t;
    default:
        return "磁盘拒绝了这次改名"_t;
    }
}

}  // namespace velmora
