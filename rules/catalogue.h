#pragma once
// Every rule behind a button, and the small handlers that belong to a rule's group of components.
// The catalogue lists them once; the window's bindings and the preview are made from it.

#include <vector>

#include "interaction/rule.h"

namespace velmora {

/// The events of a component a handler may serve.
enum class Event { Clicked, ItemChosen, FocusIn };

/// A handler that keeps the components of a rule's group consistent with each other.
struct GroupHandler {
    Component component;
    Event event;
    void (*handler)(Window&);
};

/// One rule button: the rule a click runs and the components of its group.
struct CataloguedRule {
    Component button;
    const RenameRule& (*rule)();
    /// What the rule reads besides the kind boxes: the preview follows these, and Enter in an edit
    /// box among them clicks the button.
    std::vector<Component> inputs;
    std::vector<GroupHandler> handlers{};
    bool previewed = true;  ///< shown in the list view's second column while in view
};

/// Every rule button. A component belongs to one rule at most; the preview looks for it in this order.
const std::vector<CataloguedRule>& ruleCatalogue();

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

// Page " 列 表 ".
const RenameRule& renameByList();  // 按钮_按列表改名
void importNameList(Window& window);  // 按钮_导入列表
void editNameList(Window& window);  // 按钮_用编辑器编辑
/// The names the list would give back unchanged: one line per entry the list pairs with, in the
/// order shown, each with or without its extension as 选择框_列表含扩展名 says; empty when the click
/// would refuse before listing.
Text currentNamesAsList(const Window& window);

/// Digits drawn at random after prefix, the generator seeded once per call.
Text randomDigits(const Text& prefix, int n);

}  // namespace velmora
