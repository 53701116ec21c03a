// 按钮16: the names of the list view to "原文件名保存.txt" next to the program, or in the user's
// data folder where the program's folder cannot be written (an installed program's never can).
#include <cerrno>
#include <string>

#include "actions/actions.h"
#include "core/fs/file_system.h"
#include "core/fs/paths.h"
#include "core/fs/user_folders.h"

namespace velmora {
namespace {

const Text kFileName = "原文件名保存.txt"_t;

bool cannotWriteThere(int error) { return error == EACCES || error == EPERM || error == EROFS; }

Text reasonOf(int error) {
    switch (error) {
    case EACCES:
    case EPERM:
        return "没有写入这个文件夹的权限"_t;
    case EROFS:
        return "这个文件夹在只读的磁盘上"_t;
    case ENOSPC:
        return "磁盘空间不足"_t;
    case EDQUOT:
        return "超出了磁盘配额"_t;
    case ENOENT:
    case ENOTDIR:
        return "文件夹不存在"_t;
    case ENAMETOOLONG:
        return "路径太长"_t;
    case EIO:
        return "读写磁盘出错"_t;
    default:
        return "系统错误代码 "_t + Text::fromUtf8(std::to_string(error));
    }
}

}  // namespace

Text originalNamesPath() { return withTrailingSeparator(programFolder()) + kFileName; }

Text userDataFolder() {
    const NativeName data = userFolder(UserFolder::Data);
    if (data.empty()) return {};
    return withTrailingSeparator(nativeToText(data).text) + "velmora/"_t;
}

void saveOriginalNames(Window& window) { saveOriginalNames(window, programFolder(), userDataFolder()); }

void saveOriginalNames(Window& window, const Text& folder, const Text& fallbackFolder) {
    const int rows = window.list().rowCount();
    if (rows == 0) {
        window.showMessage("没有什么可以保存的"_t, style::information, "提醒："_t);
        return;
    }
    std::string buffer;
    for (int r = 0; r < rows; ++r) {
        const Text row = window.list().rowText(r);
        if (!row.empty()) buffer += row.bytes() + "\r\n";
    }
    // Replaced as a whole, so a failed save leaves the previous file as it was.
    const auto saved = replaceFile(withTrailingSeparator(folder) + kFileName, {buffer});
    if (saved) {
        window.showMessage("已将原文件名存入txt文档内，\r\n并已将txt文档保存到本软件的同级文件夹"_t, style::information,
                           "提醒："_t);
        return;
    }
    int error = saved.error();
    if (cannotWriteThere(error) && !fallbackFolder.empty()) {
        const Text there = withTrailingSeparator(fallbackFolder);
        if (!createDirectories(there)) {
            error = errno;
        } else if (const auto savedThere = replaceFile(there + kFileName, {buffer})) {
            window.showMessage("已将原文件名存入txt文档内，\r\n并已将txt文档保存到\r\n"_t + there, style::information,
                               "提醒："_t);
            return;
        } else {
            error = savedThere.error();
        }
    }
    window.showMessage("保存失败\r\n"_t + reasonOf(error), style::information, "提醒："_t);
}

}  // namespace velmora
