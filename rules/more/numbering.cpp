// 按钮_加序号: numbers the entries in natural order after a template, where a run of # is the
// number padded with zeros to that many digits and * is the entry's name part.
#include <memory>

#include "rules/catalogue.h"
#include "rules/common.h"

namespace velmora {
namespace {

using namespace component;

// A whole number: an optional sign and ASCII digits, spaces around allowed; empty means 1. The box
// is read through typedNumber, so full-width digits arrive here as ASCII.
std::optional<long long> wholeNumber(const Text& typed) {
    const Text trimmed = trimText(typed);
    const std::string& s = trimmed.bytes();
    if (s.empty()) return 1;
    std::size_t i = (s[0] == '-' || s[0] == '+') ? 1 : 0;
    if (i == s.size()) return std::nullopt;
    long long value = 0;
    for (; i < s.size(); ++i) {
        if (s[i] < '0' || s[i] > '9') return std::nullopt;
        if (__builtin_mul_overflow(value, 10, &value) || __builtin_add_overflow(value, s[i] - '0', &value))
            return std::nullopt;
    }
    return s[0] == '-' ? -value : value;
}

std::string padded(long long number, std::size_t width) {
    const unsigned long long magnitude =
        number < 0 ? 0ULL - static_cast<unsigned long long>(number) : static_cast<unsigned long long>(number);
    std::string digits = std::to_string(magnitude);
    if (digits.size() < width) digits.insert(0, width - digits.size(), '0');
    return number < 0 ? "-" + digits : digits;
}

Text expand(const Text& pattern, const Text& namePart, long long number) {
    const std::string& t = pattern.bytes();
    std::string out;
    for (std::size_t i = 0; i < t.size();) {
        if (t[i] == '#') {
            std::size_t run = 0;
            while (i + run < t.size() && t[i + run] == '#') ++run;
            out += padded(number, run);
            i += run;
        } else if (t[i] == '*') {
            out += namePart.bytes();
            ++i;
        } else {  // a double-byte character is copied whole, so its second byte is never read as # or *
            const std::size_t n = isLeadByte(t[i]) && i + 1 < t.size() ? 2 : 1;
            out.append(t, i, n);
            i += n;
        }
    }
    return Text::fromBytes(std::move(out));
}

std::optional<Message> refuseTemplateWithoutNumber(const Window& w) {
    if (findText(w.content(编辑框_模板), "#"_t) == notFound)
        return Message{"模板里要有#，#的位置放序号"_t, style::information, "提示"_t};
    return std::nullopt;
}

std::optional<Message> refuseNumbersThatAreNotWhole(const Window& w) {
    if (!wholeNumber(typedNumber(w, 编辑框_起始)) || !wholeNumber(typedNumber(w, 编辑框_步长)))
        return Message{"起始和步长要填整数"_t, style::information, "提示"_t};
    return std::nullopt;
}

struct NumberingInputs {
    Text pattern;  // 编辑框_模板
    long long start = 1;  // 编辑框_起始
    long long step = 1;  // 编辑框_步长
    friend bool operator==(const NumberingInputs& a, const NumberingInputs& b) {
        return a.pattern == b.pattern && a.start == b.start && a.step == b.step;
    }
};

NumberingInputs readInputs(const Window& w) {
    return {w.content(编辑框_模板), wholeNumber(typedNumber(w, 编辑框_起始)).value_or(1),
            wholeNumber(typedNumber(w, 编辑框_步长)).value_or(1)};
}

// Entries reach the transform in natural order, once each, skipped ones left out, so the k-th
// call gets start + (k-1) * step. A number past the range of long long refuses its entry.
Pass numberingPass(const NumberingInputs& in, Kind, std::size_t) {
    auto calls = std::make_shared<long long>(0);
    return Pass{[in, calls](const Entry& e) -> std::optional<Text> {
                    long long number = 0;
                    if (__builtin_mul_overflow(in.step, (*calls)++, &number) ||
                        __builtin_add_overflow(number, in.start, &number)) {
                        e.refuse(StepFailure::OutOfRange);
                        return std::nullopt;
                    }
                    Text made = expand(in.pattern, e.subject, number);
                    if (made == e.subject) return std::nullopt;
                    return made;
                },
                {}};
}

RenameRule makeRule() {
    RenameRule rule = reorderingRule();
    rule.checksAfterFolder = {refuseTemplateWithoutNumber, refuseNumbersThatAreNotWhole};
    rule.read = reads(readInputs);
    rule.files = passOf<NumberingInputs>(numberingPass);
    rule.folders = rule.files;
    return rule;
}

}  // namespace

const RenameRule& numbering() {
    static const RenameRule rule = makeRule();
    return rule;
}

}  // namespace velmora
