#pragma once
// 按钮12 as a function of its input, apart from the window.

#include <optional>

#include "core/text/text.h"
#include "interaction/window.h"

namespace velmora {

/// What inserting after the front number reads from the window: the text to insert.
struct AfterNumberInputs {
    Text text;
    friend bool operator==(const AfterNumberInputs& a, const AfterNumberInputs& b) { return a.text == b.text; }
    friend bool operator!=(const AfterNumberInputs& a, const AfterNumberInputs& b) { return !(a == b); }
};

AfterNumberInputs readAfterNumberInputs(const Window& window);  // 编辑框13

/// name with the text right after the number among its first five bytes; nothing when that number
/// is not there.
std::optional<Text> insertedAfterNumber(const AfterNumberInputs& inputs, const Text& name);

}  // namespace velmora
