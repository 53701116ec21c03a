// 按钮_加后缀1: append a made-up video number such as "(Av012345678,P3)" to every file name.
#include "core/text/random.h"
#include "rules/catalogue.h"

namespace velmora {

Text randomDigits(const Text& prefix, int n) {
    static const Text alphabet = "9876543210"_t;
    Text result = prefix;
    seedRandom();
    for (int i = 0; i < n; ++i) result += midText(alphabet, randomInteger(1, 10), 1);
    return result;
}

namespace {

RenameRule makeRule() {
    RenameRule rule;
    rule.kinds = Kinds::FilesOnly;
    rule.listing = Listing::FullPaths;
    rule.subject = Subject::NamePart;
    rule.filter = ExtensionFilter::Standard;
    rule.confirmation = Confirmation::FirstEntry;
    rule.question = "文件名将被更改，确定吗？"_t;
    rule.fileCount = Count::None;
    rule.files = entryPass([](const Entry& e) -> std::optional<Text> {
        return e.subject + "(Av"_t + randomDigits({}, 9) + ",P"_t + toText(static_cast<long long>(e.index)) + ")"_t;
    });
    return rule;
}

}  // namespace

const RenameRule& videoNumbers() {
    static const RenameRule rule = makeRule();
    return rule;
}

}  // namespace velmora
