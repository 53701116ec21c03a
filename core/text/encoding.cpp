#include "core/text/encoding.h"

#include <iconv.h>

#include <cerrno>

namespace velmora {

// Text's own conversions live here, beside the encodings they use.
Text Text::fromUtf8(std::string_view utf8) { return utf8ToText(utf8).text; }
std::string Text::toUtf8() const { return textToUtf8Lossy(*this); }

namespace {

class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (valid()) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // Converts input; on an invalid or incomplete sequence calls onBad(out) and skips one byte,
    // or gives up when onBad returns false.
    template <typename OnBad>
    bool convert(std::string_view input, std::string& out, OnBad onBad) {
        out.clear();
        if (!valid()) return false;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char buffer[1024];
        char* in = const_cast<char*>(input.data());
        std::size_t inLeft = input.size();
        while (inLeft > 0) {
            char* o = buffer;
            std::size_t oLeft = sizeof buffer;
            const std::size_t r = iconv(cd_, &in, &inLeft, &o, &oLeft);
            out.append(buffer, static_cast<std::size_t>(o - buffer));
            if (r != static_cast<std::size_t>(-1)) continue;
            if (errno == E2BIG) continue;
            if (!onBad(out)) return false;
            ++in;
            --inLeft;
            iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        }
        return true;
    }

private:
    iconv_t cd_;
};

Converter& toGb() {
    thread_local Converter c("GB18030", "UTF-8");
    return c;
}
Converter& fromGb() {
    thread_local Converter c("UTF-8", "GB18030");
    return c;
}

const char kReplacementGb[] = "\x84\x31\xA4\x37";  // U+FFFD in GB18030
const char kReplacementUtf8[] = "\xEF\xBF\xBD";

bool isAscii(std::string_view s) {
    for (char c : s)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

}  // namespace

Decoded utf8ToText(std::string_view utf8) {
    if (isAscii(utf8)) return {Text::fromBytes(std::string(utf8)), true};
    Decoded result;
    std::string out;
    toGb().convert(utf8, out, [&](std::string& o) {
        o += kReplacementGb;
        result.exact = false;
        return true;
    });
    result.text = Text::fromBytes(std::move(out));
    return result;
}

std::optional<std::string> textToUtf8(const Text& text) {
    if (isAscii(text.bytes())) return text.bytes();
    std::string out;
    if (!fromGb().convert(text.bytes(), out, [](std::string&) { return false; })) return std::nullopt;
    return out;
}

std::string textToUtf8Lossy(const Text& text) {
    if (isAscii(text.bytes())) return text.bytes();
    std::string out;
    fromGb().convert(text.bytes(), out, [](std::string& o) {
        o += kReplacementUtf8;
        return true;
    });
    return out;
}

namespace {

bool binaryByte(unsigned char c) {
    return (c < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\f' && c != '\v') || c == 0x7F;
}

bool holdsBinary(std::string_view s) {
    for (char c : s)
        if (binaryByte(static_cast<unsigned char>(c))) return true;
    return false;
}

// Converts strictly: nothing when any sequence is invalid.
std::optional<std::string> strictly(Converter& converter, std::string_view in) {
    std::string out;
    if (!converter.convert(in, out, [](std::string&) { return false; })) return std::nullopt;
    return out;
}

std::string unixLineEnds(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '\r') {
            out += s[i];
        } else {
            out += '\n';
            if (i + 1 < s.size() && s[i + 1] == '\n') ++i;
        }
    }
    return out;
}

}  // namespace

std::optional<Text> decodeTextFile(std::string_view bytes) {
    const auto startsWith = [&](std::string_view mark) { return bytes.substr(0, mark.size()) == mark; };
    std::optional<std::string> gb;
    if (startsWith("\xEF\xBB\xBF")) {
        gb = strictly(toGb(), bytes.substr(3));
    } else if (startsWith("\xFF\xFE") || startsWith("\xFE\xFF")) {
        Converter utf16("GB18030", bytes[0] == '\xFF' ? "UTF-16LE" : "UTF-16BE");
        gb = strictly(utf16, bytes.substr(2));
    } else if (!holdsBinary(bytes)) {
        // UTF-8 first: GBK text that happens to be valid UTF-8 is rare beyond a few characters,
        // while UTF-8 read as GB18030 would always pass as mojibake.
        gb = isAscii(bytes) ? std::optional<std::string>(bytes) : strictly(toGb(), bytes);
        if (!gb && strictly(fromGb(), bytes)) gb = std::string(bytes);
    }
    if (!gb || holdsBinary(*gb)) return std::nullopt;
    return Text::fromBytes(unixLineEnds(*gb));
}

}  // namespace velmora
