#include "tests/support/fake_window.h"

#include <ostream>
#include <stdexcept>

namespace velmora::testing {
namespace {

const std::vector<const char*>& itemsOf(Component c) {
    static const std::vector<const char*> extensions = {".txt", ".mp4", ".mp3", ".zip", ".7z", ".rar",
                                                        ".jpg", ".png", ".ico", ".psd", ".bmp"};
    static const std::vector<const char*> presets = {"英文符号", "中文符号", "B站括号"};
    return c == component::组合框1 ? presets : extensions;
}

}  // namespace

Shown msg(const char* text, MessageStyle style, const char* caption) {
    return {Text::fromUtf8(text), style, Text::fromUtf8(caption)};
}

std::ostream& operator<<(std::ostream& out, const Shown& shown) {
    const char* kind = shown.style == style::okCancel      ? "okCancel"
                       : shown.style == style::information ? "information"
                                                           : "ok";
    return out << "(\"" << shown.text.toUtf8() << "\", " << kind << ", \"" << shown.caption.toUtf8() << "\")";
}

FakeWindow::FakeWindow() {
    using namespace component;
    for (Component c : {选择框5, 选择框6, 选择框1, 单选框2, 单选框7, 单选框9, 单选框5, 单选框3, 单选框11, 单选框13,
                        单选框15, 选择框_1头, 选择框_2头, 选择框_区分大小写, 单选框_小写})
        setChecked(c, true);
    setContent(编辑框_模板, Text::fromUtf8("* ##"));
    setContent(编辑框_起始, Text::fromUtf8("1"));
    setContent(编辑框_步长, Text::fromUtf8("1"));
    setSelection(组合框1, 0);
    setContent(编辑框14, Text::fromUtf8("将在这里创建"));
    setContent(编辑框15, Text::fromUtf8("扩展名"));
    setCaption(按钮5, Text::fromUtf8("繁转简"));
    setCaption(按钮10, Text::fromUtf8("前面加"));
}

bool FakeWindow::checked(Component c) const {
    auto it = checked_.find(std::string(c.name));
    return it != checked_.end() && it->second;
}

int FakeWindow::selection(Component c) const {
    auto it = selections_.find(std::string(c.name));
    return it == selections_.end() ? -1 : it->second;
}

Text FakeWindow::chosenText(Component c) const {
    const int index = selection(c);
    if (index < 0) return get(typed_, c);
    return Text::fromUtf8(itemsOf(c).at(static_cast<std::size_t>(index)));
}

void FakeWindow::typeIntoCombo(Component c, const char* utf8) {
    setSelection(c, -1);
    typed_[std::string(c.name)] = Text::fromUtf8(utf8);
}

void FakeWindow::choose(Component c, const char* item) {
    const auto& items = itemsOf(c);
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (std::string(items[i]) == item) {
            setSelection(c, static_cast<int>(i));
            return;
        }
    }
    throw std::invalid_argument(std::string("no such item: ") + item);
}

TextColour FakeWindow::colour(Component c) const {
    auto it = colours_.find(std::string(c.name));
    return it == colours_.end() ? TextColour::Default : it->second;
}

int FakeWindow::showMessage(const Text& text, MessageStyle style, std::optional<Text> caption) {
    messages.push_back({text, style, caption ? *caption : Text::fromUtf8("信息：")});
    if (script_.empty()) return answerOk;
    const int answer = script_.front();
    script_.pop_front();
    return answer;
}

SharedLeftOut FakeWindow::leftOut() const {
    if (unchecked.empty()) return nullptr;
    auto names = std::make_shared<NameList>();
    for (const Text& name : unchecked) names->add(name);
    return std::make_shared<const LeftOutNames>(std::move(names));
}

Text FakeWindow::get(const std::map<std::string, Text>& m, Component c) {
    auto it = m.find(std::string(c.name));
    return it == m.end() ? Text{} : it->second;
}

}  // namespace velmora::testing
