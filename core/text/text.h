#pragma once
// Text: names and messages as GB18030 bytes (a superset of GBK, so every GBK character keeps its
// bytes). Positions are 1-based byte positions and -1 means "not found". A byte 0x80..0xFF is a
// lead byte that the searching, replacing, case and trim operations step over together with the
// byte after it; a four-byte GB18030 character is therefore two such steps.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace velmora {

class Text {
public:
    Text() = default;
    /// Takes GB18030 bytes as they are.
    static Text fromBytes(std::string bytes) {
        Text t;
        t.bytes_ = std::move(bytes);
        return t;
    }
    /// Converts UTF-8 (source literals, widget strings); invalid input becomes U+FFFD.
    static Text fromUtf8(std::string_view utf8);

    const std::string& bytes() const { return bytes_; }
    std::string toUtf8() const;  ///< for display; undecodable bytes become U+FFFD
    bool empty() const { return bytes_.empty(); }
    int length() const { return static_cast<int>(bytes_.size()); }

    Text& operator+=(const Text& other) {
        bytes_ += other.bytes_;
        return *this;
    }
    friend Text operator+(Text a, const Text& b) {
        a += b;
        return a;
    }
    friend bool operator==(const Text& a, const Text& b) { return a.bytes_ == b.bytes_; }
    friend bool operator!=(const Text& a, const Text& b) { return a.bytes_ != b.bytes_; }

private:
    std::string bytes_;
};

inline namespace literals {
/// "路径呢？"_t: a UTF-8 source literal as Text.
inline Text operator""_t(const char* s, std::size_t n) { return Text::fromUtf8({s, n}); }
}  // namespace literals

constexpr int notFound = -1;

int textLength(const Text& text);
int findText(const Text& text, const Text& needle);
int findTextReverse(const Text& text, const Text& needle);
Text leftText(const Text& text, int n);
Text rightText(const Text& text, int n);
Text midText(const Text& text, int start, int length);
/// Replaces up to count occurrences (-1: all) of find, scanning from byte start.
Text replaceText(const Text& text, const Text& find, const Text& replacement, int start = 1, int count = -1);
int toInteger(const Text& text);
Text toText(long long value);
int compareText(const Text& a, const Text& b, bool caseSensitive);
Text spaceText(int n);
Text toUpperText(const Text& text);
Text toHalfWidth(const Text& text);
Text trimText(const Text& text);
std::string toBytes(const Text& text);
/// Divides by each divisor in turn, dropping the fraction. A zero divisor is a programming
/// error: it asserts in debug builds and leaves the value undivided otherwise.
long long divideInteger(long long value, std::initializer_list<long long> divisors);
long long bitAnd(std::initializer_list<long long> values);

/// True when the byte is a lead byte (high bit set).
inline bool isLeadByte(char c) { return static_cast<unsigned char>(c) >= 0x80; }

}  // namespace velmora
