#pragma once
// Natural order of names: runs of digits compare by their value, everything else by its GB18030
// bytes, so 第2课 comes before 第10课. Numbering and the list view's header sort share it.

#include <string_view>

namespace velmora {

/// Negative, zero or positive as a sorts before, equal to or after b. Names that differ only in
/// leading zeros ("01" and "1") are told apart by their bytes, so the order is total.
int naturalCompare(std::string_view a, std::string_view b);

inline bool naturalLess(std::string_view a, std::string_view b) { return naturalCompare(a, b) < 0; }

/// Natural order of relative paths ("第1季/第2集"), part by part between the '/' separators, so the
/// entries of one folder stay together; a folder comes before the entries inside it.
int naturalPathCompare(std::string_view a, std::string_view b);

inline bool naturalPathLess(std::string_view a, std::string_view b) { return naturalPathCompare(a, b) < 0; }

}  // namespace velmora
