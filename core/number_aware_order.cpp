#include <algorithm>
#include <numeric>

#include "core/listing.h"

namespace velmora {
namespace {

bool isDigit(const std::string& s, std::size_t i) { return i < s.size() && s[i] >= '0' && s[i] <= '9'; }

// The sort key: a one-digit number is written with three digits and marked "加2个蛋蛋", a
// two-digit number with three digits and marked "加1个蛋蛋"; the marks make 01 sort before 1.
// The key only orders: the listed names are always the true names.
std::string sortKey(const std::string& name) {
    static const std::string addOne = "加1个蛋蛋"_t.bytes();
    static const std::string addTwo = "加2个蛋蛋"_t.bytes();
    if (isDigit(name, 0) && !isDigit(name, 1)) return "00" + name + addTwo;
    if (isDigit(name, 0) && isDigit(name, 1) && !isDigit(name, 2)) return "0" + name + addOne;
    return name;
}

}  // namespace

std::vector<std::size_t> numberAwareOrder(const std::vector<Text>& names) {
    std::vector<std::string> keys;
    keys.reserve(names.size());
    for (const Text& n : names) keys.push_back(sortKey(n.bytes()));
    std::vector<std::size_t> order(names.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    // Byte order of the keys is the case-sensitive text order: ASCII first, a double-byte
    // character as its two-byte code, a name before every longer name that begins with it.
    // std::string compares like memcmp, so key order is the case-sensitive text order: ASCII
    // first, a double-byte character as its two-byte code, a name before every longer name that
    // begins with it.
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return keys[a] < keys[b]; });
    return order;
}

}  // namespace velmora
