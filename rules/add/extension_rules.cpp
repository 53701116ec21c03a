// 按钮_加后缀2 appends a text after the extension; 按钮6 gives every file one new extension.
#include "rules/catalogue.h"

namespace velmora {
namespace {

using namespace component;

// The text put after the name (编辑框18), or the new extension (组合框3).
struct ExtensionInputs {
    Text text;
    friend bool operator==(const ExtensionInputs& a, const ExtensionInputs& b) { return a.text == b.text; }
};

ExtensionInputs readAppended(const Window& w) { return {w.content(编辑框18)}; }

RenameRule makeAppend() {
    RenameRule rule;
    rule.checksFirst = {requireContent(编辑框18, {"加点啥？不能为空"_t, style::information, {}})};
    rule.kinds = Kinds::FilesOnly;
    rule.listing = Listing::FullPaths;
    rule.filter = ExtensionFilter::Standard;
    rule.confirmation = Confirmation::FirstEntry;
    rule.fileCount = Count::None;
    rule.read = reads(readAppended);
    rule.files = simplePass<ExtensionInputs>(
        [](const ExtensionInputs& in, const Entry& e) { return std::optional<Text>{e.name + in.text}; });
    return rule;
}

// The new extension: a chosen item as it stands, or a typed one with its dot.
Text newExtension(const Window& w) {
    Text typed = trimText(w.chosenText(组合框3));
    if (!typed.empty() && typed.bytes()[0] != '.') typed = "."_t + typed;
    return typed;
}

// The old extension is dropped, not put back.
RenameRule makeChangeAll() {
    RenameRule rule;
    rule.checksFirst = {
        [](const Window& w) -> std::optional<Message> {
            if (newExtension(w).empty()) return Message{"修改为什么？请先选择"_t, style::information, {}};
            return std::nullopt;
        },
        [](const Window& w) -> std::optional<Message> {
            const Text typed = newExtension(w);
            const bool onlyDots = typed.bytes().find_first_not_of('.') == std::string::npos;
            // findText steps over double-byte characters, whose second byte may be a backslash.
            if (onlyDots || findText(typed, "/"_t) != notFound || findText(typed, "\\"_t) != notFound)
                return Message{"扩展名里不能有/或\\，也不能只有点"_t, style::information, "提示"_t};
            return std::nullopt;
        },
    };
    rule.checksAfterFolder = {[](const Window& w) -> std::optional<Message> {
        if (w.checked(选择框2)) return Message{"文件夹没有改后缀一说，请勾选文件"_t, style::information, "提示"_t};
        return std::nullopt;
    }};
    rule.kinds = Kinds::FilesOnly;
    rule.listing = Listing::FullPaths;
    rule.filter = ExtensionFilter::ChosenItem;
    rule.confirmation = Confirmation::FirstEntryBeforeAnything;
    rule.read = reads(+[](const Window& w) { return ExtensionInputs{newExtension(w)}; });
    rule.files = simplePass<ExtensionInputs>(
        [](const ExtensionInputs& in, const Entry& e) { return std::optional<Text>{e.namePart() + in.text}; });
    rule.report = [](const RunOutcome& o) -> std::optional<Message> {
        if (o.count == 0) return std::nullopt;
        return Message{"一共有"_t + toText(o.count) + "扩展名被修改"_t, style::information, "提示"_t};
    };
    return rule;
}

}  // namespace

const RenameRule& appendAfterExtension() {
    static const RenameRule rule = makeAppend();
    return rule;
}

const RenameRule& changeExtensions() {
    static const RenameRule rule = makeChangeAll();
    return rule;
}

}  // namespace velmora
