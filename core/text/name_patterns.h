#pragma once
// Patterns that choose names, as typed into a filter: * for any run of characters, ? for one
// character, several patterns separated by ';' or spaces; letters compared without case.

#include <string_view>
#include <vector>

#include "core/text/text.h"

namespace velmora {

class NamePatterns {
public:
    /// The patterns of typed; none when it holds only separators.
    explicit NamePatterns(const Text& typed = {});

    /// True when there is no pattern: every name is chosen.
    bool empty() const { return patterns_.empty(); }
    /// True when name (GB18030 bytes) matches at least one pattern, or there is none.
    bool matches(std::string_view name) const;

private:
    std::vector<std::string> patterns_;  ///< ASCII letters folded to lower case
};

}  // namespace velmora
