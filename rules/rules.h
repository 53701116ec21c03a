#pragma once
// Every rule behind a button, and the small handlers that belong to a rule's group of components.

#include "core/pipeline.h"
#include "core/session.h"

namespace velmora {

// Page " 删 除 ".
const RenameRule& deleteOccurrences();  // 按钮2
const RenameRule& deleteBefore();  // 按钮7
const RenameRule& deleteAfter();  // 按钮_去掉后面的
const RenameRule& deleteBetween();  // 按钮3
void applySymbolPreset(Window& window);  // 组合框1 item chosen
void firstMarkerHeadClicked(Window& window);  // 选择框_1头
void firstMarkerTailClicked(Window& window);  // 选择框_1尾
void secondMarkerHeadClicked(Window& window);  // 选择框_2头
void secondMarkerTailClicked(Window& window);  // 选择框_2尾

// Page " 替 换 ".
const RenameRule& replaceTextRule();  // 按钮4
const RenameRule& zeroPadding();  // 按钮11
const RenameRule& chineseConversion();  // 按钮5
void toSimplifiedClicked(Window& window);  // 单选框15
void toTraditionalClicked(Window& window);  // 单选框16
const RenameRule& chineseNumerals();  // 按钮15
const RenameRule& appendAfterNumber();  // 按钮12
const RenameRule& changeExtensions();  // 按钮6

// Page " 添 加 ".
const RenameRule& addPrefix();  // 按钮_加前缀
const RenameRule& addSuffix();  // 按钮_加后缀
const RenameRule& insertAtMarker();  // 按钮10
void insertBeforeClicked(Window& window);  // 单选框3
void insertAfterClicked(Window& window);  // 单选框4
const RenameRule& appendAfterExtension();  // 按钮_加后缀2
const RenameRule& videoNumbers();  // 按钮_加后缀1

// Page " 更 多 ".
const RenameRule& numbering();  // 按钮_加序号
const RenameRule& regexReplace();  // 按钮_正则替换
const RenameRule& letterCase();  // 按钮_改大小写

// Outside the tabs.
void createEntries(Window& window, Session& session);  // 按钮14
void targetBoxFocused(Window& window);  // 编辑框14 gets the focus
void extensionBoxFocused(Window& window);  // 编辑框15 gets the focus
void saveOriginalNames(Window& window);  // 按钮16
/// Saves the rows to the names file in folder; where folder cannot be written, in fallbackFolder
/// (made when missing; none when empty). The handler passes programFolder() and userDataFolder().
void saveOriginalNames(Window& window, const Text& folder, const Text& fallbackFolder);
/// Where the original names are saved while the program's folder can be written.
Text originalNamesPath();
/// The program's folder in the user's data: $XDG_DATA_HOME/velmora/, by default
/// ~/.local/share/velmora/; empty when neither variable gives an absolute path.
Text userDataFolder();

/// Digits drawn at random after prefix, the generator seeded once per call.
Text randomDigits(const Text& prefix, int n);

}  // namespace velmora
