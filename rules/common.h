#pragma once
// Helpers the rules share.

#include "interaction/rule.h"

namespace velmora {

/// Refuses with message when the content of component holds any of the nine characters that
/// file names may not hold.
InputCheck refuseForbiddenCharacters(Component component, Message message);

/// The typed text with the full-width digits ０-９, signs －＋ and spaces a Chinese input method types
/// in full-width mode turned into their ASCII forms; every other character is kept as it is.
Text asciiNumberText(const Text& typed);

/// What component holds, read for a number: its content through asciiNumberText.
Text typedNumber(const Window& window, Component component);

/// Which occurrence of a marker a rule looks for, as a pair of boxes says.
enum class Occurrence : std::uint8_t { Neither, First, Last };
/// First when firstBox is checked, else Last when lastBox is, else Neither.
Occurrence occurrenceOf(const Window& window, Component firstBox, Component lastBox);

/// The position of the marker: its first or last occurrence, and nothing for Neither.
std::optional<int> locate(const Text& name, const Text& marker, Occurrence which);

/// The shared part of the rules of page " 更 多 ": files (name part) or folders as the kind boxes
/// say, in natural order, the skipped extension, the up-front question, chains and swaps in the
/// order that lets them succeed, and "成功改名" + count + "个".
RenameRule reorderingRule();

}  // namespace velmora
