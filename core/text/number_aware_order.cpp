#include <algorithm>
#include <cstdint>

#include "core/text/number_aware_order.h"

namespace velmora {
namespace {

bool isDigit(std::string_view s, std::size_t i) { return i < s.size() && s[i] >= '0' && s[i] <= '9'; }

// The sort key of a name: a one-digit number is written with three digits and marked "加2个蛋蛋",
// a two-digit number with three digits and marked "加1个蛋蛋"; the marks make 01 sort before 1.
// Keys only order: the listed names are always the true names.
void appendKey(std::string& arena, std::string_view name) {
    static const std::string addOne = "加1个蛋蛋"_t.bytes();
    static const std::string addTwo = "加2个蛋蛋"_t.bytes();
    if (isDigit(name, 0) && !isDigit(name, 1)) {
        arena.append("00").append(name).append(addTwo);
    } else if (isDigit(name, 0) && isDigit(name, 1) && !isDigit(name, 2)) {
        arena.append("0").append(name).append(addOne);
    } else {
        arena.append(name);
    }
}

std::size_t keyLength(std::string_view name) {
    static const std::size_t mark = "加1个蛋蛋"_t.bytes().size();
    if (isDigit(name, 0) && !isDigit(name, 1)) return name.size() + 2 + mark;
    if (isDigit(name, 0) && isDigit(name, 1) && !isDigit(name, 2)) return name.size() + 1 + mark;
    return name.size();
}

}  // namespace

std::vector<std::size_t> numberAwareOrder(std::size_t count, const std::function<const Text&(std::size_t)>& nameAt) {
    return numberAwareOrderOfBytes(count, [&](std::size_t i) { return std::string_view(nameAt(i).bytes()); });
}

std::vector<std::size_t> numberAwareOrderOfBytes(std::size_t count,
                                                 const std::function<std::string_view(std::size_t)>& nameAt) {
    // All keys in one buffer: one allocation, and comparisons are plain memcmp.
    std::size_t total = 0;
    for (std::size_t i = 0; i < count; ++i) total += keyLength(nameAt(i));
    std::string arena;
    arena.reserve(total);
    std::vector<std::uint32_t> ends(count);
    for (std::size_t i = 0; i < count; ++i) {
        appendKey(arena, nameAt(i));
        ends[i] = static_cast<std::uint32_t>(arena.size());
    }
    const auto key = [&](std::size_t i) {
        const std::size_t begin = i == 0 ? 0 : ends[i - 1];
        return std::string_view(arena).substr(begin, ends[i] - begin);
    };
    // Byte order of the keys is the case-sensitive text order: ASCII first, a double-byte
    // character as its two-byte code, a key before every longer key that begins with it. Equal
    // keys (only for names that spell out another's key) keep their found order. Each key's first
    // eight bytes, as one number, decide most comparisons without touching the keys themselves.
    struct Sortable {
        std::uint64_t head;  ///< the first eight bytes, big-endian, zeros past a short key's end
        std::uint32_t index;
    };
    std::vector<Sortable> sortable(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::string_view k = key(i);
        std::uint64_t head = 0;
        for (std::size_t b = 0; b < 8; ++b) head = head << 8 | (b < k.size() ? static_cast<unsigned char>(k[b]) : 0u);
        sortable[i] = {head, static_cast<std::uint32_t>(i)};
    }
    std::sort(sortable.begin(), sortable.end(), [&](const Sortable& a, const Sortable& b) {
        if (a.head != b.head) return a.head < b.head;
        // A key shorter than eight bytes and one padded with zero bytes share a head: the whole
        // keys decide, then the found order.
        const int c = key(a.index).compare(key(b.index));
        return c != 0 ? c < 0 : a.index < b.index;
    });
    std::vector<std::size_t> order(count);
    for (std::size_t i = 0; i < count; ++i) order[i] = sortable[i].index;
    return order;
}

std::vector<std::size_t> numberAwareOrder(const std::vector<Text>& names) {
    return numberAwareOrder(names.size(), [&](std::size_t i) -> const Text& { return names[i]; });
}

}  // namespace velmora
