#pragma once
// Names held once and compactly: the GB18030 bytes of every name back to back with the offset where
// each ends, and the native name only where it is not what the text converts back to. A listing,
// the rows of the list view, a run's plan and its renames share one such list instead of holding a
// string each.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/text/encoding.h"
#include "core/text/text.h"

namespace velmora {

/// One listed entry as a whole.
struct ListedEntry {
    NativeName native;  ///< the name exactly as the file system has it (when kept)
    Text name;  ///< the name as Text
    bool exact = true;  ///< false when the native name could not be read as text
    std::uint64_t inode = 0;  ///< as readdir gives it; the history tells made steps by it
};

class NameList {
public:
    std::size_t size() const { return ends_.size(); }
    bool empty() const { return ends_.empty(); }
    void reserve(std::size_t names, std::size_t bytes);
    void clear();
    void swap(NameList& other) noexcept;
    /// Room for names added with their natives (addWithNative).
    void reserveNatives(std::size_t names, std::size_t bytes);
    /// Gives back room reserved far beyond what the names take.
    void shrinkToFit();

    /// Appends a name known as text (GB18030 bytes).
    void add(std::string_view textBytes);
    void add(const Text& name) { add(std::string_view(name.bytes())); }
    /// Appends a name as the file system has it: kept as text, and as it is too when the text
    /// does not convert back to exactly these bytes (a name that is not valid UTF-8, say). A list
    /// keeps inodes once a name is added with one.
    void addNative(std::string_view native, std::optional<std::uint64_t> inode = std::nullopt);
    /// Appends a name as the file system has it, keeping it as it is beside its text: a list that
    /// renaming reads keeps every native name, so it never converts one back.
    void addWithNative(std::string_view native, std::uint64_t inode);
    /// Appends name i of another list, its native name along with it.
    void addFrom(const NameList& other, std::size_t i);

    std::string_view bytes(std::size_t i) const {
        const std::uint32_t begin = i == 0 ? 0 : ends_[i - 1];
        return std::string_view(bytes_).substr(begin, ends_[i] - begin);
    }
    Text text(std::size_t i) const { return Text::fromBytes(std::string(bytes(i))); }
    /// The name on disk: as kept, or the text converted back; nothing when neither is possible.
    std::optional<NativeName> native(std::size_t i) const;
    /// False when the native name could not be read as text (its text holds U+FFFD).
    bool exact(std::size_t i) const;
    /// True when every native name is kept as it is (lists made by addWithNative).
    bool keepsNatives() const { return nativeEnds_.size() == size(); }
    /// The native name of a list that keeps them, without a copy.
    std::string_view nativeBytes(std::size_t i) const;
    /// The inode the name was listed with; 0 when the list keeps none.
    std::uint64_t inode(std::size_t i) const { return i < inodes_.size() ? inodes_[i] : 0; }

    /// Entry i as a whole, made on request.
    ListedEntry operator[](std::size_t i) const {
        return {native(i).value_or(NativeName{}), text(i), exact(i), inode(i)};
    }

    class const_iterator {
    public:
        const_iterator(const NameList* list, std::size_t i) : list_(list), i_(i) {}
        ListedEntry operator*() const { return (*list_)[i_]; }
        const_iterator& operator++() {
            ++i_;
            return *this;
        }
        bool operator!=(const const_iterator& o) const { return i_ != o.i_; }

    private:
        const NameList* list_;
        std::size_t i_;
    };
    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, size()}; }
    bool operator==(const NameList& other) const {
        return bytes_ == other.bytes_ && ends_ == other.ends_ && inodes_ == other.inodes_ &&
               natives_ == other.natives_ && nativeEnds_ == other.nativeEnds_ && sameKept(other);
    }

    /// The names in the given order (indices into this list, each once); names not in it are left out.
    NameList permuted(const std::vector<std::uint32_t>& order) const;

    /// Bytes of all the names as text.
    std::size_t textBytes() const { return bytes_.size(); }
    /// Bytes held, for measuring.
    std::size_t capacityBytes() const;

private:
    struct Kept {
        std::uint32_t index;
        bool exact;
        NativeName native;
    };
    const Kept* kept(std::size_t i) const;
    bool sameKept(const NameList& other) const;

    std::string bytes_;
    std::vector<std::uint32_t> ends_;
    std::vector<Kept> kept_;  ///< by index
    std::vector<std::uint64_t> inodes_;  ///< one per name up to the last added with one
    std::string natives_;  ///< every native name back to back, in lists made by addWithNative
    std::vector<std::uint32_t> nativeEnds_;
};

/// A hash table of 32-bit positions whose names are kept elsewhere: nameOf(position) gives the
/// name, so the table costs a few bytes per name. Linear probing; an erased slot is marked, not
/// emptied, so make the table for every position it will ever hold.
class PositionTable {
public:
    static constexpr std::uint32_t none = UINT32_MAX;

    PositionTable() = default;
    /// Room for most positions, at most half full so probes stay short.
    explicit PositionTable(std::size_t most) {
        std::size_t capacity = 16;
        while (capacity < 2 * most) capacity *= 2;
        slots_.assign(capacity, kFree);
    }
    /// True for a table made without room, which holds nothing.
    bool empty() const { return slots_.empty(); }

    /// The position named name, or none.
    template <typename NameOf>
    std::uint32_t find(std::string_view name, const NameOf& nameOf) const {
        const std::size_t at = slotOf(name, nameOf);
        return at == slots_.size() ? none : slots_[at] - 1;
    }
    /// Adds position, unless a position of the same name is there already: false then.
    template <typename NameOf>
    bool insert(std::uint32_t position, const NameOf& nameOf) {
        const std::string_view name = nameOf(position);
        if (slotOf(name, nameOf) != slots_.size()) return false;
        const std::size_t mask = slots_.size() - 1;
        std::size_t s = home(name, mask);
        while (slots_[s] != kFree && slots_[s] != kErased) s = (s + 1) & mask;
        slots_[s] = position + 1;
        return true;
    }
    /// Takes out the position named name, before its name changes.
    template <typename NameOf>
    void erase(std::string_view name, const NameOf& nameOf) {
        const std::size_t at = slotOf(name, nameOf);
        if (at != slots_.size()) slots_[at] = kErased;
    }

private:
    static constexpr std::uint32_t kFree = 0;
    static constexpr std::uint32_t kErased = UINT32_MAX;

    static std::size_t home(std::string_view name, std::size_t mask) {
        return std::hash<std::string_view>{}(name)&mask;
    }

    template <typename NameOf>
    std::size_t slotOf(std::string_view name, const NameOf& nameOf) const {
        if (slots_.empty()) return 0;
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t s = home(name, mask); slots_[s] != kFree; s = (s + 1) & mask)
            if (slots_[s] != kErased && nameOf(slots_[s] - 1) == name) return s;
        return slots_.size();
    }

    std::vector<std::uint32_t> slots_;
};

/// Names exactly as the file system has them, for asking whether a folder holds one. The set
/// points into the lists it is made from, which it shares, through a table of 32-bit positions:
/// a few bytes per name, where a set of strings would spend a hundred.
class NameSet {
public:
    NameSet() = default;
    /// The native names of every entry of lists.
    explicit NameSet(std::vector<std::shared_ptr<const NameList>> lists);
    /// The given names, as they are.
    NameSet(std::initializer_list<std::string_view> names);

    bool contains(std::string_view name) const;
    /// Where name is among the names, in the order the lists gave them; none when it is not.
    std::uint32_t positionOf(std::string_view name) const;
    static constexpr std::uint32_t none = PositionTable::none;
    /// Every name passed through map (a disk that ignores case compares names folded).
    NameSet mapped(const std::function<std::string(std::string_view)>& map) const;
    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }

private:
    std::string_view at(std::uint32_t position) const;

    std::vector<std::shared_ptr<const NameList>> lists_;
    std::vector<std::uint32_t> firsts_;  ///< the position of each list's first name
    PositionTable table_;
    std::size_t size_ = 0;
};

/// The renames of a run, in the order they were made: pairs of indices into the list of old names
/// (the run's listing) and the list of new names (its plan), both shared, not copied.
class RenameList {
public:
    RenameList() = default;
    RenameList(std::shared_ptr<const NameList> from, std::shared_ptr<const NameList> to)
        : from_(std::move(from)), to_(std::move(to)) {}

    void reserve(std::size_t n) { pairs_.reserve(n); }
    /// Records that old name from became new name to (indices into the shared lists).
    void add(std::uint32_t from, std::uint32_t to) { pairs_.emplace_back(from, to); }
    /// Records a rename of names of its own.
    void emplace_back(const Text& from, const Text& to);

    std::size_t size() const { return pairs_.size(); }
    bool empty() const { return pairs_.empty(); }
    /// (old name, new name) of rename i.
    std::pair<Text, Text> operator[](std::size_t i) const {
        return {from_->text(pairs_[i].first), to_->text(pairs_[i].second)};
    }
    /// The names of rename i as GB18030 bytes, valid while the list lives.
    std::string_view fromBytes(std::size_t i) const { return from_->bytes(pairs_[i].first); }
    std::string_view toBytes(std::size_t i) const { return to_->bytes(pairs_[i].second); }
    /// The old name of rename i exactly as it was on disk.
    std::optional<NativeName> fromNative(std::size_t i) const { return from_->native(pairs_[i].first); }

    class const_iterator {
    public:
        using iterator_category = std::input_iterator_tag;
        using value_type = std::pair<Text, Text>;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = value_type;
        const_iterator(const RenameList* list, std::size_t i) : list_(list), i_(i) {}
        value_type operator*() const { return (*list_)[i_]; }
        const_iterator& operator++() {
            ++i_;
            return *this;
        }
        bool operator!=(const const_iterator& o) const { return i_ != o.i_; }
        bool operator==(const const_iterator& o) const { return i_ == o.i_; }

    private:
        const RenameList* list_;
        std::size_t i_;
    };
    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, pairs_.size()}; }

    /// Every rename as a pair of its own.
    operator std::vector<std::pair<Text, Text>>() const {  // NOLINT(google-explicit-constructor)
        return {begin(), end()};
    }

    friend bool operator==(const RenameList& a, const std::vector<std::pair<Text, Text>>& b) {
        if (a.size() != b.size()) return false;
        for (std::size_t i = 0; i < b.size(); ++i)
            if (a[i] != b[i]) return false;
        return true;
    }

private:
    std::shared_ptr<const NameList> from_;
    std::shared_ptr<const NameList> to_;
    std::shared_ptr<NameList> ownFrom_;  ///< for renames recorded with names of their own
    std::shared_ptr<NameList> ownTo_;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> pairs_;
};

}  // namespace velmora
