// 按钮_加前缀 and 按钮_加后缀: a text at the very front of each name, or at its end before the
// extension.
#include "rules/add/prefix_suffix.h"

#include "rules/catalogue.h"

namespace velmora {
namespace {

const Message kEmptyText{"加点啥？不能为空"_t, style::information, {}};

template <typename Inputs>
RenameRule makeRule(Inputs (*read)(const Window&), Subject subject, Text (*transform)(const Inputs&, const Text&)) {
    RenameRule rule;
    rule.checksFirst = {[read](const Window& window) -> std::optional<Message> {
        if (read(window).text.empty()) return kEmptyText;
        return std::nullopt;
    }};
    rule.listing = Listing::FullPaths;
    rule.subject = subject;
    rule.filter = ExtensionFilter::Standard;
    rule.confirmation = Confirmation::FirstEntry;
    rule.fileCount = Count::None;
    rule.folderCount = Count::None;
    rule.read = reads(read);
    rule.files = simplePass<Inputs>(
        [transform](const Inputs& in, const Entry& e) { return std::optional<Text>{transform(in, e.subject)}; });
    rule.folders = rule.files;
    return rule;
}

}  // namespace

AffixInputs readPrefixInputs(const Window& window) { return {window.content(component::编辑框6)}; }
AffixInputs readSuffixInputs(const Window& window) { return {window.content(component::编辑框7)}; }

Text withPrefix(const AffixInputs& inputs, const Text& subject) { return inputs.text + subject; }
// A folder takes the suffix after its last character, even when its name holds a dot.
Text withSuffix(const AffixInputs& inputs, const Text& subject) { return subject + inputs.text; }

const RenameRule& addPrefix() {
    static const RenameRule rule = makeRule(readPrefixInputs, Subject::WholeName, withPrefix);
    return rule;
}

const RenameRule& addSuffix() {
    static const RenameRule rule = makeRule(readSuffixInputs, Subject::NamePart, withSuffix);
    return rule;
}

}  // namespace velmora
