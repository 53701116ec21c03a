#include <algorithm>
#include <numeric>

#include "core/listing.h"

namespace velmora {
namespace {

bool isDigit(std::string_view s, std::size_t i) { return i < s.size() && s[i] >= '0' && s[i] <= '9'; }

// The sort key of a name, in three pieces: a one-digit number is written with three digits and
// marked "加2个蛋蛋", a two-digit number with three digits and marked "加1个蛋蛋"; the marks make 01
// sort before 1. Keys only order: the listed names are always the true names.
struct Key {
    std::string_view parts[3];

    explicit Key(std::string_view name) : parts{{}, name, {}} {
        static const std::string addOne = "加1个蛋蛋"_t.bytes();
        static const std::string addTwo = "加2个蛋蛋"_t.bytes();
        if (isDigit(name, 0) && !isDigit(name, 1)) {
            parts[0] = "00";
            parts[2] = addTwo;
        } else if (isDigit(name, 0) && isDigit(name, 1) && !isDigit(name, 2)) {
            parts[0] = "0";
            parts[2] = addOne;
        }
    }

    // Byte order of the whole keys, the case-sensitive text order: ASCII first, a double-byte
    // character as its two-byte code, a key before every longer key that begins with it.
    friend bool operator<(const Key& a, const Key& b) {
        int pa = 0, pb = 0;
        std::size_t ia = 0, ib = 0;
        for (;;) {
            while (pa < 3 && ia == a.parts[pa].size()) ++pa, ia = 0;
            while (pb < 3 && ib == b.parts[pb].size()) ++pb, ib = 0;
            if (pa == 3 || pb == 3) return pa == 3 && pb != 3;
            const auto ca = static_cast<unsigned char>(a.parts[pa][ia]);
            const auto cb = static_cast<unsigned char>(b.parts[pb][ib]);
            if (ca != cb) return ca < cb;
            ++ia, ++ib;
        }
    }
};

}  // namespace

std::vector<std::size_t> numberAwareOrder(std::size_t count, const std::function<const Text&(std::size_t)>& nameAt) {
    std::vector<Key> keys;
    keys.reserve(count);
    for (std::size_t i = 0; i < count; ++i) keys.emplace_back(nameAt(i).bytes());
    std::vector<std::size_t> order(count);
    std::iota(order.begin(), order.end(), std::size_t{0});
    // Equal keys (possible only for names that spell out another's key) keep their found order.
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return keys[a] < keys[b]; });
    return order;
}

std::vector<std::size_t> numberAwareOrder(const std::vector<Text>& names) {
    return numberAwareOrder(names.size(), [&](std::size_t i) -> const Text& { return names[i]; });
}

}  // namespace velmora
