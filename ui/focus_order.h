#pragma once
// The keyboard's way through a window, read from its component table: rows top to bottom, each
// left to right; the tab control followed by its pages; a group box as its inputs, then its buttons.

#include <string_view>
#include <vector>

#include "ui/component_table.h"

namespace velmora {

/// The components that take focus by Tab, in order. Pages follow the tab control in the order of
/// their first component in the table; only the shown page's components are reached.
std::vector<std::string_view> focusOrder(const WindowLayout& layout);

}  // namespace velmora
