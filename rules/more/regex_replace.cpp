// 按钮_正则替换: replaces every match of a Perl-compatible regular expression, with $1…$9 and
// ${name} in the replacement. Matching is on characters: the name goes to PCRE2 as UTF-8 and the
// result comes back as Text; a name without an exact UTF-8 form is left alone.
#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <memory>

#include "core/text/encoding.h"
#include "rules/catalogue.h"
#include "rules/common.h"

namespace velmora {
namespace {

using namespace component;

struct CodeFree {
    void operator()(pcre2_code* code) const { pcre2_code_free(code); }
};
using Code = std::shared_ptr<pcre2_code>;

struct Compiled {
    Code code;
    int error = 0;
    std::size_t offset = 0;  ///< bytes of UTF-8 before the place the error was found
};

struct RegexInputs {
    std::string pattern;  // 编辑框_查找, in UTF-8
    std::string replacement;  // 编辑框_替换为, in UTF-8
    bool caseSensitive = false;  // 选择框_区分大小写
    bool wholeName = false;  // 选择框_包括扩展名
    friend bool operator==(const RegexInputs& a, const RegexInputs& b) {
        return a.pattern == b.pattern && a.replacement == b.replacement && a.caseSensitive == b.caseSensitive &&
               a.wholeName == b.wholeName;
    }
};

RegexInputs readInputs(const Window& w) {
    return {w.content(编辑框_查找).toUtf8(), w.content(编辑框_替换为).toUtf8(), w.checked(选择框_区分大小写),
            w.checked(选择框_包括扩展名)};
}

Compiled compile(const RegexInputs& in) {
    const std::string& pattern = in.pattern;
    uint32_t options = PCRE2_UTF;
    if (!in.caseSensitive) options |= PCRE2_CASELESS;
    Compiled c;
    PCRE2_SIZE offset = 0;
    pcre2_code* code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(), options, &c.error,
                                     &offset, nullptr);
    c.offset = offset;
    if (code) c.code = Code(code, CodeFree{});
    return c;
}

// The library's compile errors in words a user reads; internal errors share one text.
Text compileErrorText(int error) {
    static const std::pair<int, const char*> texts[] = {
        {101, "末尾的\\后面缺少字符"},
        {102, "末尾的\\c后面缺少字符"},
        {103, "\\后面的字符无法识别"},
        {104, "{}里的数字前大后小"},
        {105, "{}里的数字太大"},
        {106, "字符组缺少结尾的]"},
        {107, "字符组里的转义无效"},
        {108, "字符组里的范围前大后小"},
        {109, "量词前面没有可以重复的内容"},
        {111, "(?或(?-后面的字符无法识别"},
        {112, "POSIX字符类只能写在[]里"},
        {113, "不支持POSIX排序元素"},
        {114, "缺少右括号"},
        {115, "引用了不存在的分组"},
        {118, "注释(?#缺少右括号"},
        {119, "括号嵌套太深"},
        {120, "表达式太长"},
        {121, "内存不足"},
        {122, "多了一个右括号"},
        {124, "条件缺少右括号"},
        {125, "后顾断言的长度不固定"},
        {126, "不能用相对值0"},
        {127, "条件分组的分支超过两个"},
        {128, "(?(后面应是断言"},
        {129, "(?+或(?-后面应是数字"},
        {130, "POSIX字符类名称未知"},
        {133, "括号嵌套太深"},
        {134, "\\x{}或\\o{}里的字符码太大"},
        {135, "后顾断言太复杂"},
        {136, "后顾断言里不能用\\C"},
        {137, "不支持\\F、\\L、\\l、\\N{名称}、\\U和\\u"},
        {138, "(?C后面的数字大于255"},
        {139, "(?C缺少右括号"},
        {140, "(*动词)名称里的转义无效"},
        {141, "(?P后面的字符无法识别"},
        {142, "分组名称有误（缺少结尾？）"},
        {143, "两个分组同名"},
        {144, "分组名称不能以数字开头"},
        {146, "\\P或\\p写法有误"},
        {147, "\\P或\\p后面的属性未知"},
        {148, "分组名称太长（最多32个字符）"},
        {149, "命名分组太多"},
        {150, "字符组里的范围无效"},
        {154, "DEFINE分组的分支多于一个"},
        {155, "\\o后面缺少左花括号"},
        {157, "\\g后面应是分组名称或数字"},
        {158, "(?R后面应是右括号"},
        {160, "(*动词)无法识别"},
        {161, "分组编号太大"},
        {162, "缺少分组名称"},
        {164, "\\o{}里有非八进制字符"},
        {165, "同一编号的分组不能有不同名称"},
        {166, "(*MARK)必须带参数"},
        {167, "\\x{}里有非十六进制字符"},
        {168, "\\c后面应是可打印的ASCII字符"},
        {169, "\\k后面应是分组名称"},
        {171, "字符组里不能用\\N"},
        {172, "标注字符串太长"},
        {173, "不允许的字符码（代理区）"},
        {176, "(*MARK)等的名称太长"},
        {177, "\\u里的字符码太大"},
        {178, "\\x{}、\\o{}或\\N{U+}里缺少数字"},
        {179, "(?(VERSION条件有误"},
        {181, "标注字符串缺少结尾分隔符"},
        {182, "(?C后面的分隔符无法识别"},
        {184, "括号嵌套太深"},
        {186, "表达式太复杂"},
        {187, "后顾断言太长"},
        {194, "选项里的连字符无效"},
        {195, "(*断言)无法识别"},
        {197, "捕获分组太多"},
        {198, "(?(后面应是原子断言"},
        {199, "环视里不能用\\K"},
    };
    for (const auto& [code, text] : texts)
        if (code == error) return Text::fromUtf8(text);
    return "表达式无法编译（错误"_t + toText(error) + "）"_t;
}

// Characters, not bytes: a Chinese or four-byte character counts once.
long long characterNumber(const std::string& utf8, std::size_t offset) {
    long long characters = 0;
    for (std::size_t i = 0; i < offset && i < utf8.size(); ++i)
        if ((static_cast<unsigned char>(utf8[i]) & 0xC0) != 0x80) ++characters;
    return characters + 1;
}

std::optional<Message> refuseInvalidPattern(const Window& w) {
    const RegexInputs in = readInputs(w);
    const Compiled c = compile(in);
    if (c.code) return std::nullopt;
    const long long at = characterNumber(in.pattern, c.offset);
    return Message{"正则表达式有误："_t + compileErrorText(c.error) + "（第"_t + toText(at) + "个字符）"_t,
                   style::information, "提示"_t};
}

// The replacement as PCRE2 reads it: $$, $n, ${n}, ${name}; anything else after $ is refused here,
// as is a group the pattern does not have, so no name is left alone for a typo.
std::optional<Text> replacementError(const pcre2_code* code, const std::string& r) {
    uint32_t groups = 0;
    pcre2_pattern_info(code, PCRE2_INFO_CAPTURECOUNT, &groups);
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    const auto checkGroup = [&](const std::string& reference) -> std::optional<Text> {
        if (!reference.empty() && reference.find_first_not_of("0123456789") == std::string::npos) {
            if (reference.size() > 5 || std::stoul(reference) > groups)
                return "没有第"_t + Text::fromUtf8(reference) + "组"_t;
            return std::nullopt;
        }
        if (pcre2_substring_number_from_name(code, reinterpret_cast<PCRE2_SPTR>(reference.c_str())) < 0)
            return "没有名为"_t + Text::fromUtf8(reference) + "的组"_t;
        return std::nullopt;
    };
    for (std::size_t i = 0; i < r.size(); ++i) {
        if (r[i] != '$') continue;
        if (i + 1 < r.size() && r[i + 1] == '$') {
            ++i;
        } else if (i + 1 < r.size() && isDigit(r[i + 1])) {
            std::size_t end = i + 1;
            while (end < r.size() && isDigit(r[end])) ++end;
            if (auto error = checkGroup(r.substr(i + 1, end - i - 1))) return error;
            i = end - 1;
        } else if (i + 1 < r.size() && r[i + 1] == '{') {
            const std::size_t close = r.find('}', i + 2);
            if (close == std::string::npos) return "${缺少}"_t;
            if (auto error = checkGroup(r.substr(i + 2, close - i - 2))) return error;
            i = close;
        } else {
            return "$后面要跟数字、{名称}或$"_t;
        }
    }
    return std::nullopt;
}

std::optional<Message> refuseInvalidReplacement(const Window& w) {
    const RegexInputs in = readInputs(w);
    const Compiled c = compile(in);
    if (!c.code) return std::nullopt;
    if (auto error = replacementError(c.code.get(), in.replacement))
        return Message{"替换内容有误："_t + *error, style::information, "提示"_t};
    return std::nullopt;
}

// Every match replaced; nothing when there is no match or the library fails (a name that takes
// too long to match, for one).
std::optional<Text> substitute(const pcre2_code* code, pcre2_match_context* limits, const Text& subject,
                               const std::string& replacement) {
    const auto utf8 = textToUtf8(subject);
    if (!utf8) return std::nullopt;
    std::string out(utf8->size() * 2 + replacement.size() + 16, '\0');
    const uint32_t options = PCRE2_SUBSTITUTE_GLOBAL | PCRE2_SUBSTITUTE_UNSET_EMPTY | PCRE2_SUBSTITUTE_OVERFLOW_LENGTH;
    int replaced = 0;
    for (int attempt = 0; attempt < 2; ++attempt) {
        PCRE2_SIZE length = out.size();
        replaced = pcre2_substitute(code, reinterpret_cast<PCRE2_SPTR>(utf8->data()), utf8->size(), 0, options, nullptr,
                                    limits, reinterpret_cast<PCRE2_SPTR>(replacement.data()), replacement.size(),
                                    reinterpret_cast<PCRE2_UCHAR*>(out.data()), &length);
        if (replaced == PCRE2_ERROR_NOMEMORY) {
            out.assign(length, '\0');
            continue;
        }
        out.resize(length);
        break;
    }
    if (replaced <= 0) return std::nullopt;
    Decoded back = utf8ToText(out);
    if (!back.exact) return std::nullopt;
    return std::move(back.text);
}

struct ContextFree {
    void operator()(pcre2_match_context* c) const { pcre2_match_context_free(c); }
};

Pass regexPass(const RegexInputs& in, Kind, std::size_t) {
    const Code code = compile(in).code;
    const std::string replacement = in.replacement;
    const bool wholeName = in.wholeName;
    std::shared_ptr<pcre2_match_context> limits(pcre2_match_context_create(nullptr), ContextFree{});
    if (limits) pcre2_set_match_limit(limits.get(), 1000000);
    return Pass{[=](const Entry& e) -> std::optional<Text> {
                    if (!code) return std::nullopt;
                    const Text part = wholeName ? e.name : e.namePart();
                    const auto changed = substitute(code.get(), limits.get(), part, replacement);
                    if (!changed || changed->empty() || *changed == part) return std::nullopt;
                    return wholeName ? *changed : *changed + e.extension();
                },
                {}};
}

RenameRule makeRule() {
    RenameRule rule = reorderingRule();
    rule.subject = Subject::WholeName;  // the transform chooses between name part and whole name
    rule.checksAfterFolder = {requireContent(编辑框_查找, {"查找内容不能为空"_t, style::information, "提示"_t}),
                              refuseInvalidPattern, refuseInvalidReplacement};
    rule.read = reads(readInputs);
    rule.files = passOf<RegexInputs>(regexPass);
    rule.folders = rule.files;
    return rule;
}

}  // namespace

const RenameRule& regexReplace() {
    static const RenameRule rule = makeRule();
    return rule;
}

}  // namespace velmora
