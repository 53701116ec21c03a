#include "core/names/left_out_names.h"

namespace velmora {

LeftOutNames::LeftOutNames(std::shared_ptr<const NameList> names) : names_(std::move(names)), table_(names_->size()) {
    const auto nameOf = [this](std::uint32_t i) { return names_->bytes(i); };
    for (std::size_t i = 0; i < names_->size(); ++i) table_.insert(static_cast<std::uint32_t>(i), nameOf);
}

bool LeftOutNames::contains(std::string_view name) const {
    return table_.find(name, [this](std::uint32_t i) { return names_->bytes(i); }) != PositionTable::none;
}

bool LeftOutNames::sameAs(const LeftOutNames& other) const {
    if (names_ == other.names_) return true;
    if (size() != other.size()) return false;
    for (std::size_t i = 0; i < size(); ++i)
        if (names_->bytes(i) != other.names_->bytes(i)) return false;
    return true;
}

bool sameLeftOut(const SharedLeftOut& a, const SharedLeftOut& b) {
    const bool noneA = !a || a->empty();
    const bool noneB = !b || b->empty();
    if (noneA || noneB) return noneA == noneB;
    return a == b || a->sameAs(*b);
}

}  // namespace velmora
