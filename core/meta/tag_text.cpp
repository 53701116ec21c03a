#include "core/meta/tag_text.h"

#include <string>

#include "core/text/encoding.h"

namespace velmora {
namespace {

bool high(unsigned char c) { return c >= 0xA1 && c <= 0xFE; }

// True when bytes hold a byte 0x80-0x9F, or when their two-byte characters lie mostly in the
// range of GB2312; bytes are known to be valid GB18030.
bool looksChinese(std::string_view bytes) {
    std::size_t chinese = 0;
    std::size_t other = 0;
    for (std::size_t i = 0; i < bytes.size();) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        if (c <= 0x9F) return true;
        if (i + 1 == bytes.size()) return false;
        const auto next = static_cast<unsigned char>(bytes[i + 1]);
        if (next >= 0x30 && next <= 0x39) {  // four bytes
            ++other;
            i += 4;
            continue;
        }
        if (next >= 0x80 && next <= 0x9F) return true;
        ++(high(c) && high(next) ? chinese : other);
        i += 2;
    }
    return chinese > 0 && chinese >= other;
}

}  // namespace

Text latin1TagText(std::string_view bytes) {
    bool ascii = true;
    for (char c : bytes) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    if (ascii) return Text::fromBytes(std::string(bytes));
    Text asGb = Text::fromBytes(std::string(bytes));
    if (textToUtf8(asGb) && looksChinese(bytes)) return asGb;
    std::string utf8;
    utf8.reserve(bytes.size() * 2);
    for (char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x80) {
            utf8 += ch;
        } else {
            utf8 += static_cast<char>(0xC0 | (c >> 6));
            utf8 += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return utf8ToText(utf8).text;
}

}  // namespace velmora
