#include "core/text/text.h"

#include <cassert>
#include <climits>
#include <cstring>

namespace velmora {

int textLength(const Text& text) { return text.length(); }

namespace {

// Walks the character starts of text; calls visit(position0) at each and stops when it returns
// true. A lead byte that is the last byte ends the walk after it has been visited.
template <typename Visit>
void walkCharacters(const std::string& s, std::size_t from, Visit visit) {
    std::size_t i = from;
    const std::size_t n = s.size();
    while (i < n) {
        if (visit(i)) return;
        if (isLeadByte(s[i])) {
            if (i + 1 >= n) return;
            i += 2;
        } else {
            i += 1;
        }
    }
}

bool matchesAt(const std::string& s, std::size_t i, const std::string& needle) {
    return s.size() - i >= needle.size() && std::memcmp(s.data() + i, needle.data(), needle.size()) == 0;
}

}  // namespace

int findText(const Text& text, const Text& needle) {
    const std::string& s = text.bytes();
    const std::string& n = needle.bytes();
    if (n.empty()) return s.empty() ? notFound : 1;
    int found = notFound;
    walkCharacters(s, 0, [&](std::size_t i) {
        if (s.size() - i < n.size()) return true;
        if (matchesAt(s, i, n)) {
            found = static_cast<int>(i) + 1;
            return true;
        }
        return false;
    });
    return found;
}

int findTextReverse(const Text& text, const Text& needle) {
    const std::string& s = text.bytes();
    const std::string& n = needle.bytes();
    if (n.empty()) return s.empty() ? notFound : 1;
    int found = notFound;
    walkCharacters(s, 0, [&](std::size_t i) {
        if (s.size() - i < n.size()) return true;
        if (matchesAt(s, i, n)) found = static_cast<int>(i) + 1;
        return false;
    });
    return found;
}

Text leftText(const Text& text, int n) {
    if (n <= 0) return {};
    return Text::fromBytes(text.bytes().substr(0, static_cast<std::size_t>(n)));
}

Text rightText(const Text& text, int n) {
    if (n <= 0) return {};
    const std::size_t size = text.bytes().size();
    const std::size_t take = std::min(size, static_cast<std::size_t>(n));
    return Text::fromBytes(text.bytes().substr(size - take));
}

Text midText(const Text& text, int start, int length) {
    if (start < 1 || start > text.length() || length <= 0) return {};
    return Text::fromBytes(text.bytes().substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(length)));
}

Text replaceText(const Text& text, const Text& find, const Text& replacement, int start, int count) {
    const std::string& s = text.bytes();
    const std::string& f = find.bytes();
    if (start < 1) start = 1;
    if (s.empty() || f.empty() || start > text.length() || count == 0) return text;

    std::string out;
    out.reserve(s.size() + replacement.bytes().size());
    std::size_t cursor = static_cast<std::size_t>(start - 1);
    out.append(s, 0, cursor);
    const std::size_t n = s.size();
    while (n - cursor >= f.size()) {
        if (std::memcmp(s.data() + cursor, f.data(), f.size()) == 0) {
            out += replacement.bytes();
            cursor += f.size();
            if (count != -1 && --count == 0) break;
        } else if (isLeadByte(s[cursor])) {
            if (cursor + 1 >= n) break;  // a lone lead byte at the end is kept, never dropped
            out.append(s, cursor, 2);
            cursor += 2;
        } else {
            out += s[cursor];
            cursor += 1;
        }
    }
    out.append(s, cursor, std::string::npos);
    return Text::fromBytes(std::move(out));
}

int toInteger(const Text& text) {
    const std::string s = toHalfWidth(text).bytes();
    std::size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || (s[i] >= '\t' && s[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    long long value = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
        value = value * 10 + (s[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative) value = -value;
    if (value > INT_MAX) value = INT_MAX;
    return static_cast<int>(value);
}

Text toText(long long value) { return Text::fromBytes(std::to_string(value)); }

int compareText(const Text& a, const Text& b, bool caseSensitive) {
    const std::string& x = a.bytes();
    const std::string& y = b.bytes();
    const std::size_t n = std::min(x.size(), y.size());
    bool trail = false;  // the byte before was a lead byte: this one is its trail
    for (std::size_t i = 0; i < n; ++i) {
        unsigned char cx = static_cast<unsigned char>(x[i]);
        unsigned char cy = static_cast<unsigned char>(y[i]);
        if (!caseSensitive && !trail) {
            if (cx >= 'A' && cx <= 'Z') cx = static_cast<unsigned char>(cx + 32);
            if (cy >= 'A' && cy <= 'Z') cy = static_cast<unsigned char>(cy + 32);
        }
        if (cx != cy) return cx < cy ? -1 : 1;
        trail = !trail && cx >= 0x80;
    }
    if (x.size() == y.size()) return 0;
    return x.size() < y.size() ? -1 : 1;
}

Text spaceText(int n) { return n <= 0 ? Text{} : Text::fromBytes(std::string(static_cast<std::size_t>(n), ' ')); }

Text toUpperText(const Text& text) {
    std::string s = text.bytes();
    walkCharacters(s, 0, [&](std::size_t i) {
        if (s[i] >= 'a' && s[i] <= 'z') s[i] = static_cast<char>(s[i] - 32);
        return false;
    });
    return Text::fromBytes(std::move(s));
}

Text toHalfWidth(const Text& text) {
    const std::string& s = text.bytes();
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        const auto lead = static_cast<unsigned char>(s[i]);
        if (lead < 0x80 || i + 1 >= s.size()) {
            out += s[i++];
            continue;
        }
        const auto trail = static_cast<unsigned char>(s[i + 1]);
        if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE) {
            out += static_cast<char>(trail & 0x7F);
        } else if (lead == 0xA1 && trail == 0xA1) {
            out += ' ';
        } else if (lead == 0xA1 && trail == 0xAB) {
            out += '~';
        } else if (lead == 0xA1 && (trail == 0xEE || trail == 0xEF)) {
            out += '*';
        } else {
            out.append(s, i, 2);
        }
        i += 2;
    }
    return Text::fromBytes(std::move(out));
}

Text trimText(const Text& text) {
    const std::string& s = text.bytes();
    std::size_t first = s.size();
    std::size_t end = 0;
    walkCharacters(s, 0, [&](std::size_t i) {
        const bool halfSpace = s[i] == ' ';
        const bool fullSpace = i + 1 < s.size() && static_cast<unsigned char>(s[i]) == 0xA1 &&
                               static_cast<unsigned char>(s[i + 1]) == 0xA1;
        if (!halfSpace && !fullSpace) {
            if (first == s.size()) first = i;
            end = std::min(s.size(), i + (isLeadByte(s[i]) ? 2 : 1));
        }
        return false;
    });
    if (first >= end) return {};
    return Text::fromBytes(s.substr(first, end - first));
}

std::string toBytes(const Text& text) { return text.bytes(); }

long long divideInteger(long long value, std::initializer_list<long long> divisors) {
    for (long long d : divisors) {
        assert(d != 0 && "divideInteger: zero divisor");
        if (d == 0) continue;
        value /= d;
    }
    return value;
}

long long bitAnd(std::initializer_list<long long> values) {
    long long result = -1;
    for (long long v : values) result &= v;
    return values.size() == 0 ? 0 : result;
}

}  // namespace velmora
