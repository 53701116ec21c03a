#include "core/text/natural_order.h"

#include <cstring>

namespace velmora {
namespace {

bool digitAt(std::string_view s, std::size_t i) { return i < s.size() && s[i] >= '0' && s[i] <= '9'; }

// A lead byte and the byte after it are one unit, so the digit bytes inside a four-byte GB18030
// character are never read as a number.
std::size_t unitLength(std::string_view s, std::size_t i) {
    return static_cast<unsigned char>(s[i]) >= 0x80 && i + 1 < s.size() ? 2 : 1;
}

}  // namespace

int naturalCompare(std::string_view a, std::string_view b) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (digitAt(a, i) && digitAt(b, j)) {
            while (digitAt(a, i) && a[i] == '0' && digitAt(a, i + 1)) ++i;
            while (digitAt(b, j) && b[j] == '0' && digitAt(b, j + 1)) ++j;
            std::size_t ei = i;
            std::size_t ej = j;
            while (digitAt(a, ei)) ++ei;
            while (digitAt(b, ej)) ++ej;
            // Without leading zeros, the longer run is the larger number.
            if (ei - i != ej - j) return ei - i < ej - j ? -1 : 1;
            if (const int c = a.substr(i, ei - i).compare(b.substr(j, ej - j))) return c < 0 ? -1 : 1;
            i = ei;
            j = ej;
            continue;
        }
        const std::size_t li = unitLength(a, i);
        const std::size_t lj = unitLength(b, j);
        if (const int c = a.substr(i, li).compare(b.substr(j, lj))) return c < 0 ? -1 : 1;
        i += li;
        j += lj;
    }
    if (i < a.size()) return 1;
    if (j < b.size()) return -1;
    const int c = a.compare(b);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

// The separator byte never occurs inside a multi-byte GB18030 character.
int naturalPathCompare(std::string_view a, std::string_view b) {
    for (;;) {
        const std::size_t ea = a.find('/');
        const std::size_t eb = b.find('/');
        if (const int c = naturalCompare(a.substr(0, ea), b.substr(0, eb)); c != 0) return c;
        if (ea == std::string_view::npos || eb == std::string_view::npos)
            return ea == eb ? 0 : (ea == std::string_view::npos ? -1 : 1);
        a.remove_prefix(ea + 1);
        b.remove_prefix(eb + 1);
    }
}

}  // namespace velmora
