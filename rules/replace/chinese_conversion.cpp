// 按钮5: convert names between traditional and simplified characters, phrase by phrase.
#include <opencc/opencc.h>

#include <memory>

#include "core/text/encoding.h"
#include "rules/catalogue.h"

namespace velmora {
namespace {

using namespace component;

class OpenCC {
public:
    explicit OpenCC(const char* config) : handle_(opencc_open(config)) {}
    ~OpenCC() {
        if (valid()) opencc_close(handle_);
    }
    OpenCC(const OpenCC&) = delete;
    OpenCC& operator=(const OpenCC&) = delete;
    bool valid() const { return handle_ != reinterpret_cast<opencc_t>(-1); }

    std::optional<std::string> convert(const std::string& utf8) const {
        if (!valid()) return std::nullopt;
        char* out = opencc_convert_utf8(handle_, utf8.data(), utf8.size());
        if (!out) return std::nullopt;
        std::string result(out);
        opencc_convert_utf8_free(out);
        return result;
    }

private:
    opencc_t handle_;
};

// The converters of one run, each opened the first time its direction is needed.
struct Converters {
    std::unique_ptr<OpenCC> toSimplified;
    std::unique_ptr<OpenCC> toTraditional;
    const OpenCC& get(bool simplified) {
        auto& slot = simplified ? toSimplified : toTraditional;
        if (!slot) slot = std::make_unique<OpenCC>(simplified ? "t2s.json" : "s2t.json");
        return *slot;
    }
};

// A name that cannot be converted, either way, is left alone.
std::optional<Text> convertName(const OpenCC& converter, const Text& name) {
    if (name.empty()) return std::nullopt;
    const auto utf8 = textToUtf8(name);
    if (!utf8) return std::nullopt;
    const auto converted = converter.convert(*utf8);
    if (!converted || converted->empty()) return std::nullopt;
    Decoded back = utf8ToText(*converted);
    if (!back.exact || back.text == name) return std::nullopt;
    return back.text;
}

struct ConversionInputs {
    bool toSimplified = false;  // 单选框15; else 单选框16, to traditional
    friend bool operator==(ConversionInputs a, ConversionInputs b) { return a.toSimplified == b.toSimplified; }
};

ConversionInputs readInputs(const Window& w) { return {w.checked(单选框15)}; }

Pass conversionPass(const ConversionInputs& in, Kind, std::size_t) {
    auto converters = std::make_shared<Converters>();
    return {[in, converters](const Entry& e) { return convertName(converters->get(in.toSimplified), e.subject); }, {}};
}

RenameRule makeRule() {
    RenameRule rule;
    rule.filter = ExtensionFilter::Standard;
    rule.confirmation = Confirmation::FirstEntry;
    rule.read = reads(readInputs);
    rule.files = passOf<ConversionInputs>(conversionPass);
    rule.folders = passOf<ConversionInputs>(conversionPass);
    rule.report = [](const RunOutcome& o) -> std::optional<Message> {
        if (o.kind == Kind::Files && o.count == 0) return std::nullopt;
        return Message{"一共有"_t + toText(o.count) + "个文件被改名"_t, style::ok, "提示"_t};
    };
    return rule;
}

}  // namespace

const RenameRule& chineseConversion() {
    static const RenameRule rule = makeRule();
    return rule;
}

void toSimplifiedClicked(Window& window) {
    if (window.checked(单选框15)) window.setCaption(按钮5, "繁转简"_t);
}

void toTraditionalClicked(Window& window) {
    if (window.checked(单选框16)) window.setCaption(按钮5, "简转繁"_t);
}

}  // namespace velmora
