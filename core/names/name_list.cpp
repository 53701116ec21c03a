#include "core/names/name_list.h"

#include <algorithm>
#include <stdexcept>

namespace velmora {
namespace {

bool isAscii(std::string_view s) {
    for (char c : s)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

}  // namespace

void NameList::reserve(std::size_t names, std::size_t bytes) {
    ends_.reserve(names);
    bytes_.reserve(bytes);
}

void NameList::clear() { NameList().swap(*this); }

void NameList::swap(NameList& other) noexcept {
    bytes_.swap(other.bytes_);
    ends_.swap(other.ends_);
    kept_.swap(other.kept_);
    inodes_.swap(other.inodes_);
    natives_.swap(other.natives_);
    nativeEnds_.swap(other.nativeEnds_);
}

void NameList::reserveNatives(std::size_t names, std::size_t bytes) {
    nativeEnds_.reserve(names);
    inodes_.reserve(names);
    natives_.reserve(bytes);
}

namespace {

// Room never written costs address space, not memory, so the tail that growing leaves (at most
// as much again) or a generous estimate leaves is kept rather than copied; only room reserved far
// beyond the need is given back.
template <typename Buffer>
void shrinkIfSparse(Buffer& b) {
    if (b.capacity() > 4 * b.size() + 4096) b.shrink_to_fit();
}

}  // namespace

void NameList::shrinkToFit() {
    shrinkIfSparse(bytes_);
    shrinkIfSparse(ends_);
    shrinkIfSparse(kept_);
    shrinkIfSparse(inodes_);
    shrinkIfSparse(natives_);
    shrinkIfSparse(nativeEnds_);
}

void NameList::add(std::string_view textBytes) {
    // Offsets are 32 bits: four gigabytes of names, some seventy million entries.
    if (bytes_.size() + textBytes.size() > UINT32_MAX) throw std::length_error("names beyond 4 GB");
    bytes_.append(textBytes);
    ends_.push_back(static_cast<std::uint32_t>(bytes_.size()));
}

void NameList::addNative(std::string_view native, std::optional<std::uint64_t> inode) {
    if (inode) {
        if (inodes_.size() < size()) inodes_.resize(size(), 0);
        inodes_.push_back(*inode);
    }
    if (isAscii(native)) {  // the same bytes in both encodings
        add(native);
        return;
    }
    Decoded decoded = utf8ToText(native);
    const auto back = textToNative(decoded.text);
    if (!decoded.exact || !back || *back != native)
        kept_.push_back({static_cast<std::uint32_t>(ends_.size()), decoded.exact, NativeName(native)});
    add(decoded.text);
}

void NameList::addWithNative(std::string_view native, std::uint64_t inode) {
    if (nativeEnds_.size() != size()) throw std::logic_error("natives are kept for every name or none");
    if (natives_.size() + native.size() > UINT32_MAX) throw std::length_error("names beyond 4 GB");
    if (inodes_.size() < size()) inodes_.resize(size(), 0);
    inodes_.push_back(inode);
    Decoded decoded = utf8ToText(native);
    if (!decoded.exact) kept_.push_back({static_cast<std::uint32_t>(ends_.size()), false, NativeName(native)});
    natives_ += native;
    nativeEnds_.push_back(static_cast<std::uint32_t>(natives_.size()));
    add(decoded.text);
}

std::string_view NameList::nativeBytes(std::size_t i) const {
    const std::uint32_t begin = i == 0 ? 0 : nativeEnds_[i - 1];
    return std::string_view(natives_).substr(begin, nativeEnds_[i] - begin);
}

void NameList::addFrom(const NameList& other, std::size_t i) {
    if (i < other.nativeEnds_.size() && nativeEnds_.size() == size()) {
        natives_ += other.nativeBytes(i);
        nativeEnds_.push_back(static_cast<std::uint32_t>(natives_.size()));
    }
    if (!other.inodes_.empty()) {
        if (inodes_.size() < size()) inodes_.resize(size(), 0);
        inodes_.push_back(other.inodes_[i]);
    }
    if (const Kept* k = other.kept(i)) kept_.push_back({static_cast<std::uint32_t>(ends_.size()), k->exact, k->native});
    add(other.bytes(i));
}

const NameList::Kept* NameList::kept(std::size_t i) const {
    if (kept_.empty()) return nullptr;
    const auto it =
        std::lower_bound(kept_.begin(), kept_.end(), i, [](const Kept& k, std::size_t at) { return k.index < at; });
    return it != kept_.end() && it->index == i ? &*it : nullptr;
}

bool NameList::sameKept(const NameList& other) const {
    if (kept_.size() != other.kept_.size()) return false;
    for (std::size_t i = 0; i < kept_.size(); ++i)
        if (kept_[i].index != other.kept_[i].index || kept_[i].exact != other.kept_[i].exact ||
            kept_[i].native != other.kept_[i].native)
            return false;
    return true;
}

std::optional<NativeName> NameList::native(std::size_t i) const {
    if (const Kept* k = kept(i)) return k->native;
    if (i < nativeEnds_.size()) return NativeName(nativeBytes(i));
    const std::string_view b = bytes(i);
    if (isAscii(b)) return NativeName(b);
    return textToNative(text(i));
}

bool NameList::exact(std::size_t i) const {
    const Kept* k = kept(i);
    return !k || k->exact;
}

NameList NameList::permuted(const std::vector<std::uint32_t>& order) const {
    NameList out;
    out.reserve(order.size(), bytes_.size());
    std::vector<std::uint32_t> newIndex;  // only needed to move the kept natives along
    constexpr std::uint32_t leftOut = UINT32_MAX;
    if (!kept_.empty()) newIndex.assign(size(), leftOut);
    if (!inodes_.empty()) out.inodes_.reserve(order.size());
    const bool natives = !nativeEnds_.empty() && nativeEnds_.size() == size();
    if (natives) {
        out.natives_.reserve(natives_.size());
        out.nativeEnds_.reserve(order.size());
    }
    for (std::uint32_t i : order) {
        if (!kept_.empty()) newIndex[i] = static_cast<std::uint32_t>(out.size());
        if (!inodes_.empty()) out.inodes_.push_back(inode(i));
        if (natives) {
            out.natives_ += nativeBytes(i);
            out.nativeEnds_.push_back(static_cast<std::uint32_t>(out.natives_.size()));
        }
        out.add(bytes(i));
    }
    for (const Kept& k : kept_)
        if (newIndex[k.index] != leftOut) out.kept_.push_back({newIndex[k.index], k.exact, k.native});
    std::sort(out.kept_.begin(), out.kept_.end(), [](const Kept& a, const Kept& b) { return a.index < b.index; });
    return out;
}

std::size_t NameList::capacityBytes() const {
    std::size_t n = bytes_.capacity() + ends_.capacity() * sizeof(std::uint32_t) + kept_.capacity() * sizeof(Kept) +
                    inodes_.capacity() * sizeof(std::uint64_t) + natives_.capacity() +
                    nativeEnds_.capacity() * sizeof(std::uint32_t);
    for (const Kept& k : kept_) n += k.native.capacity();
    return n;
}

NameSet::NameSet(std::vector<std::shared_ptr<const NameList>> lists) {
    std::size_t total = 0;
    for (std::shared_ptr<const NameList>& list : lists) {
        if (!list->keepsNatives()) {  // names known only as text: converted back once, here
            auto natives = std::make_shared<NameList>();
            for (std::size_t i = 0; i < list->size(); ++i)
                natives->addWithNative(list->native(i).value_or(NativeName{}), list->inode(i));
            list = std::move(natives);
        }
        firsts_.push_back(static_cast<std::uint32_t>(total));
        total += list->size();
    }
    if (total >= UINT32_MAX / 2) throw std::length_error("too many names for one set");
    lists_ = std::move(lists);
    table_ = PositionTable(total);
    const auto nameOf = [this](std::uint32_t position) { return at(position); };
    for (std::size_t i = 0; i < total; ++i) size_ += table_.insert(static_cast<std::uint32_t>(i), nameOf) ? 1 : 0;
}

NameSet::NameSet(std::initializer_list<std::string_view> names) {
    auto list = std::make_shared<NameList>();
    for (std::string_view name : names) list->addWithNative(name, 0);
    *this = NameSet({std::shared_ptr<const NameList>(std::move(list))});
}

std::string_view NameSet::at(std::uint32_t position) const {
    const auto list = std::upper_bound(firsts_.begin(), firsts_.end(), position) - firsts_.begin() - 1;
    return lists_[static_cast<std::size_t>(list)]->nativeBytes(position - firsts_[static_cast<std::size_t>(list)]);
}

NameSet NameSet::mapped(const std::function<std::string(std::string_view)>& map) const {
    auto list = std::make_shared<NameList>();
    const std::size_t total = lists_.empty() ? 0 : firsts_.back() + lists_.back()->size();
    for (std::size_t i = 0; i < total; ++i) list->addWithNative(map(at(static_cast<std::uint32_t>(i))), 0);
    return NameSet({std::shared_ptr<const NameList>(std::move(list))});
}

bool NameSet::contains(std::string_view name) const { return positionOf(name) != none; }

std::uint32_t NameSet::positionOf(std::string_view name) const {
    return table_.find(name, [this](std::uint32_t position) { return at(position); });
}

void RenameList::emplace_back(const Text& from, const Text& to) {
    if (!ownFrom_) {
        ownFrom_ = std::make_shared<NameList>();
        ownTo_ = std::make_shared<NameList>();
        for (std::size_t i = 0; i < pairs_.size(); ++i) {  // keep what was recorded before
            ownFrom_->addFrom(*from_, pairs_[i].first);
            ownTo_->addFrom(*to_, pairs_[i].second);
            pairs_[i] = {static_cast<std::uint32_t>(i), static_cast<std::uint32_t>(i)};
        }
        from_ = ownFrom_;
        to_ = ownTo_;
    }
    pairs_.emplace_back(static_cast<std::uint32_t>(ownFrom_->size()), static_cast<std::uint32_t>(ownTo_->size()));
    ownFrom_->add(from);
    ownTo_->add(to);
}

}  // namespace velmora
