// 按钮_加前缀 and 按钮_加后缀: a text at the very front of each name, or at its end before the
// extension.
#include "rules/catalogue.h"

namespace velmora {
namespace {

using namespace component;

const Message kEmptyText{"加点啥？不能为空"_t, style::information, {}};

RenameRule makeRule(Component box, Subject subject, std::optional<Text> (*transform)(const Window&, const Entry&)) {
    RenameRule rule;
    rule.checksFirst = {requireContent(box, kEmptyText)};
    rule.listing = Listing::FullPaths;
    rule.subject = subject;
    rule.filter = ExtensionFilter::Standard;
    rule.confirmation = Confirmation::FirstEntry;
    rule.fileCount = Count::None;
    rule.folderCount = Count::None;
    rule.files = simplePass(transform);
    rule.folders = simplePass(transform);
    return rule;
}

}  // namespace

const RenameRule& addPrefix() {
    static const RenameRule rule = makeRule(编辑框6, Subject::WholeName, [](const Window& w, const Entry& e) {
        return std::optional<Text>{w.content(编辑框6) + e.subject};
    });
    return rule;
}

// A folder takes the suffix after its last character, even when its name holds a dot.
const RenameRule& addSuffix() {
    static const RenameRule rule = makeRule(编辑框7, Subject::NamePart, [](const Window& w, const Entry& e) {
        return std::optional<Text>{e.subject + w.content(编辑框7)};
    });
    return rule;
}

}  // namespace velmora
