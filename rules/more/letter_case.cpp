// 按钮_改大小写: upper case, lower case, or the first letter of every word upper case, for the
// name part or, with 选择框_只改扩展名, for the extension only. Latin letters change, ASCII and
// full-width (Ａ-Ｚ, ａ-ｚ, GB18030 A3C1-A3DA and A3E1-A3FA); everything else stays.
#include "rules/catalogue.h"
#include "rules/common.h"

namespace velmora {
namespace {

using namespace component;

enum class LetterCase { Upper, Lower, Title };

// The letter at byte i of s, as the offset of its last byte and whether it is upper case.
struct Letter {
    std::size_t caseByte;  ///< the byte that differs by 0x20 between the two cases
    bool upper;
};

std::optional<Letter> letterAt(const std::string& s, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    if (!isLeadByte(s[i])) {
        if (byte(i) >= 'A' && byte(i) <= 'Z') return Letter{i, true};
        if (byte(i) >= 'a' && byte(i) <= 'z') return Letter{i, false};
        return std::nullopt;
    }
    if (byte(i) != 0xA3 || i + 1 >= s.size()) return std::nullopt;
    if (byte(i + 1) >= 0xC1 && byte(i + 1) <= 0xDA) return Letter{i + 1, true};
    if (byte(i + 1) >= 0xE1 && byte(i + 1) <= 0xFA) return Letter{i + 1, false};
    return std::nullopt;
}

// A word is a run of letters; a lead byte and the byte after it are one character, so the halves
// of a four-byte character are two characters that are no letters.
Text changeCase(const Text& text, LetterCase to) {
    std::string s = text.bytes();
    bool inWord = false;
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t width = isLeadByte(s[i]) && i + 1 < s.size() ? 2 : 1;
        if (const auto letter = letterAt(s, i)) {
            const bool upper = to == LetterCase::Upper || (to == LetterCase::Title && !inWord);
            if (upper != letter->upper) s[letter->caseByte] = static_cast<char>(s[letter->caseByte] ^ 0x20);
            inWord = true;
        } else {
            inWord = false;
        }
        i += width;
    }
    return Text::fromBytes(std::move(s));
}

struct CaseInputs {
    std::optional<LetterCase> to;  // 单选框_大写, 单选框_小写, 单选框_首字母大写
    bool extensionOnly = false;  // 选择框_只改扩展名
    friend bool operator==(const CaseInputs& a, const CaseInputs& b) {
        return a.to == b.to && a.extensionOnly == b.extensionOnly;
    }
};

CaseInputs readInputs(const Window& w) {
    std::optional<LetterCase> to;
    if (w.checked(单选框_大写))
        to = LetterCase::Upper;
    else if (w.checked(单选框_小写))
        to = LetterCase::Lower;
    else if (w.checked(单选框_首字母大写))
        to = LetterCase::Title;
    return {to, w.checked(选择框_只改扩展名)};
}

// Folders have no extension, so with 只改扩展名 they keep their names.
std::optional<Text> changeLetterCase(const CaseInputs& in, const Entry& e) {
    if (!in.to) return std::nullopt;
    const Text namePart = e.namePart();
    const Text extension = e.extension();
    const Text changed =
        in.extensionOnly ? namePart + changeCase(extension, *in.to) : changeCase(namePart, *in.to) + extension;
    if (changed == e.name) return std::nullopt;
    return changed;
}

RenameRule makeRule() {
    RenameRule rule = reorderingRule();
    rule.subject = Subject::WholeName;  // the transform chooses between name part and extension
    rule.read = reads(readInputs);
    rule.files = simplePass<CaseInputs>(changeLetterCase);
    rule.folders = rule.files;
    return rule;
}

}  // namespace

const RenameRule& letterCase() {
    static const RenameRule rule = makeRule();
    return rule;
}

}  // namespace velmora
