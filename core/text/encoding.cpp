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

}  // namespace velmora
