#include "core/text/name_patterns.h"

namespace velmora {
namespace {

char folded(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Bytes of the character that starts at s[i]: one for ASCII, four for a four-byte GB18030
// character (a digit as its second byte), else two.
std::size_t characterLength(std::string_view s, std::size_t i) {
    if (!isLeadByte(s[i]) || i + 1 >= s.size()) return 1;
    const char second = s[i + 1];
    if (second >= '0' && second <= '9' && i + 3 < s.size()) return 4;
    return 2;
}

// Wildcard matching that steps over whole characters, remembering the last star to fall back to
// (linear in practice, never exponential).
bool matchOne(std::string_view pattern, std::string_view name) {
    std::size_t p = 0;
    std::size_t n = 0;
    std::size_t starP = std::string_view::npos;
    std::size_t starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = ++p;
            starN = n;
            continue;
        }
        if (p < pattern.size()) {
            const std::size_t length = characterLength(name, n);
            if (pattern[p] == '?') {
                ++p;
                n += length;
                continue;
            }
            const std::size_t patternLength = characterLength(pattern, p);
            if (patternLength == length && n + length <= name.size()) {
                bool same = true;
                for (std::size_t k = 0; k < length && same; ++k)
                    same = pattern[p + k] == (length == 1 ? folded(name[n + k]) : name[n + k]);
                if (same) {
                    p += length;
                    n += length;
                    continue;
                }
            }
        }
        if (starP == std::string_view::npos) return false;
        starN += characterLength(name, starN);
        n = starN;
        p = starP;
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

}  // namespace

NamePatterns::NamePatterns(const Text& typed) {
    std::string current;
    const std::string& bytes = typed.bytes();
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t length = characterLength(bytes, i);
        const char c = bytes[i];
        // The full-width space and semicolon a Chinese input method types separate as well.
        const std::string_view character(bytes.data() + i, length);
        const bool separator = c == ';' || c == ' ' || c == '\t' || character == "\xA1\xA1" || character == "\xA3\xBB";
        if (separator) {
            if (!current.empty()) patterns_.push_back(std::move(current));
            current.clear();
        } else {
            // Only ASCII letters fold: the trail byte of a double-byte character may look like one.
            if (length == 1)
                current += folded(c);
            else
                current.append(character);
        }
        i += length;
    }
    if (!current.empty()) patterns_.push_back(std::move(current));
}

bool NamePatterns::matches(std::string_view name) const {
    if (patterns_.empty()) return true;
    for (const std::string& pattern : patterns_)
        if (matchOne(pattern, name)) return true;
    return false;
}

}  // namespace velmora
