// 按钮14: one new folder, or one new empty file, per row of the list view in a typed folder.
#include "actions/actions.h"
#include "core/fs/file_system.h"
#include "core/fs/paths.h"

namespace velmora {
namespace {

using namespace component;

const Text& targetHint() {
    static const Text hint = "将在这里创建"_t;
    return hint;
}

const Text& extensionHint() {
    static const Text hint = "扩展名"_t;
    return hint;
}

void clearHint(Window& window, Component box, const Text& hint) {
    if (window.content(box) == hint) window.setContent(box, {});
    window.setTextColour(box, TextColour::Default);
}

}  // namespace

void targetBoxFocused(Window& window) { clearHint(window, 编辑框14, targetHint()); }
void extensionBoxFocused(Window& window) { clearHint(window, 编辑框15, extensionHint()); }

void createEntries(Window& window, Session& session) {
    session.entryList.clear();
    const Text typed = window.content(编辑框14);
    if (window.currentFolder().empty() || typed.empty() || typed == targetHint()) {
        window.showMessage("路径呢？"_t, style::information);
        return;
    }
    const Text target = withTrailingSeparator(typed);
    const int rows = window.list().rowCount();
    int count = 0;
    for (int r = 0; r < rows; ++r) {
        const Text name = fileNameOf(window.list().rowText(r), false);
        if (name.empty()) continue;
        const Text extension = window.content(编辑框15);
        // A file that exists already is left as it is: creating never truncates.
        const bool created = extension.empty() || extension == extensionHint()
                                 ? createDirectory(target + name)
                                 : writeNewFile(target + name + extension, {});
        if (created) ++count;
    }
    window.showMessage("成功创建"_t + toText(count) + "个文件夹"_t, style::ok, "执行"_t);
}

}  // namespace velmora
