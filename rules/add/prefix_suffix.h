#pragma once
// 按钮_加前缀 and 按钮_加后缀 as functions of their inputs, apart from the window.

#include "core/text/text.h"
#include "interaction/window.h"

namespace velmora {

/// What adding a prefix or a suffix reads from the window: the text to add.
struct AffixInputs {
    Text text;
    friend bool operator==(const AffixInputs& a, const AffixInputs& b) { return a.text == b.text; }
    friend bool operator!=(const AffixInputs& a, const AffixInputs& b) { return !(a == b); }
};

AffixInputs readPrefixInputs(const Window& window);  // 编辑框6
AffixInputs readSuffixInputs(const Window& window);  // 编辑框7

/// The text at the very front of subject (the whole name).
Text withPrefix(const AffixInputs& inputs, const Text& subject);
/// The text at the end of subject (the name without its extension, or a folder's whole name).
Text withSuffix(const AffixInputs& inputs, const Text& subject);

}  // namespace velmora
