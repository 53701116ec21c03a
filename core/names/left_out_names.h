#pragma once
// The entries a run leaves alone whatever its rule would do, by name: those whose rows are
// unchecked or hidden by the filter. A value shared by the preview and the click, made once per
// change of the choice, so both plan over the same one.

#include <memory>
#include <string_view>

#include "core/names/name_list.h"

namespace velmora {

class LeftOutNames {
public:
    /// The names of names (GB18030 bytes), as they are.
    explicit LeftOutNames(std::shared_ptr<const NameList> names);

    bool contains(std::string_view name) const;
    std::size_t size() const { return names_->size(); }
    bool empty() const { return names_->empty(); }
    /// The same names in the same order.
    bool sameAs(const LeftOutNames& other) const;

private:
    std::shared_ptr<const NameList> names_;
    PositionTable table_;
};

using SharedLeftOut = std::shared_ptr<const LeftOutNames>;

/// True when a and b leave out the same names; null leaves out nothing.
bool sameLeftOut(const SharedLeftOut& a, const SharedLeftOut& b);

}  // namespace velmora
