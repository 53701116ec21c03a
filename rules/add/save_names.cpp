// 按钮16: the names of the list view to "原文件名保存.txt" next to the program.
#include "core/file_system.h"
#include "core/paths.h"
#include "rules/rules.h"

namespace velmora {

Text originalNamesPath() { return withTrailingSeparator(programFolder()) + "原文件名保存.txt"_t; }

void saveOriginalNames(Window& window) { saveOriginalNames(window, originalNamesPath()); }

void saveOriginalNames(Window& window, const Text& path) {
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
    if (replaceFile(path, {buffer}))
        window.showMessage("已将原文件名存入txt文档内，\r\n并已将txt文档保存到本软件的同级文件夹"_t, style::information, "提醒："_t);
    else
        window.showMessage("保存失败"_t, style::information, "提醒："_t);
}

}  // namespace velmora
