#pragma once
// Both windows as data: every component with its kind, container, placement, caption or content,
// font and items. The windows are built from these tables and nothing else.

#include <string_view>
#include <vector>

namespace velmora {

enum class WidgetKind {
    Label,
    TransparentLabel,
    EditBox,
    TextBox,  ///< an edit box of several lines
    Button,
    PictureButton,
    CheckBox,
    RadioButton,
    ComboBox,
    GroupBox,
    TabControl,
    ListView,
    PictureBox,
};

struct FontStyle {
    int pixels = 0;  ///< character height; 0 keeps the system's dialog font
    bool bold = false;
    bool tabCaption = false;  ///< the tab control's page captions: "SimSun" 12
};

struct ComponentRow {
    std::string_view name;
    WidgetKind kind;
    /// The window (empty), a tab page ("page1" to "page5"; placed relative to the tab control)
    /// or a group box.
    std::string_view container;
    int left, top, width, height;
    std::string_view text;  ///< caption or content; items of a combo box are separate
    FontStyle font{};
    std::vector<std::string_view> items{};  ///< combo box items, tab captions, list columns
    int chosen = -1;  ///< the combo box item chosen in the template
    bool checked = false;  ///< check state stored in the template
    bool editable = false;  ///< a combo box that also takes a typed text
};

/// The tooltip a component shows while the pointer rests on it.
struct ToolTip {
    std::string_view component;
    std::string_view text;
};

struct WindowLayout {
    std::string_view name;
    std::string_view caption;
    int left, top, width, height;
    std::vector<ComponentRow> components;
    std::vector<ToolTip> toolTips{};
};

const WindowLayout& mainWindowLayout();
const WindowLayout& thanksWindowLayout();

inline constexpr std::string_view kTabPages[] = {"page1", "page2", "page3", "page4", "page5"};

}  // namespace velmora
