#pragma once
// Folder listings ordered by the number at the front of each name.

#include <cstddef>
#include <functional>
#include <string_view>
#include <vector>

#include "core/text/text.h"

namespace velmora {

/// Orders names as if a leading number of one or two digits had three: 1, 2, 10, 100, then 1000
/// as text; 01 comes before 1. Returns the permutation (indices into names).
std::vector<std::size_t> numberAwareOrder(const std::vector<Text>& names);
std::vector<std::size_t> numberAwareOrder(std::size_t count, const std::function<const Text&(std::size_t)>& nameAt);
std::vector<std::size_t> numberAwareOrderOfBytes(std::size_t count,
                                                 const std::function<std::string_view(std::size_t)>& nameAt);

}  // namespace velmora
