#include "ui/focus_order.h"

#include <algorithm>
#include <map>

namespace velmora {
namespace {

using Item = const ComponentRow*;

int start(Item c, bool rows) { return rows ? c->top : c->left; }
int end(Item c, bool rows) { return rows ? c->top + c->height : c->left + c->width; }

// Splits items where a line runs between them: across the container (rows) or down it (columns).
std::vector<std::vector<Item>> split(std::vector<Item> items, bool rows) {
    std::stable_sort(items.begin(), items.end(), [rows](Item a, Item b) { return start(a, rows) < start(b, rows); });
    std::vector<std::vector<Item>> parts;
    int reach = 0;
    for (Item c : items) {
        if (parts.empty() || start(c, rows) >= reach) parts.emplace_back();
        parts.back().push_back(c);
        reach = parts.back().size() == 1 ? end(c, rows) : std::max(reach, end(c, rows));
    }
    return parts;
}

bool takesFocus(WidgetKind kind) {
    switch (kind) {
    case WidgetKind::EditBox:
    case WidgetKind::TextBox:
    case WidgetKind::Button:
    case WidgetKind::PictureButton:
    case WidgetKind::CheckBox:
    case WidgetKind::RadioButton:
    case WidgetKind::ComboBox:
    case WidgetKind::TabControl:
    case WidgetKind::ListView:
        return true;
    default:
        return false;
    }
}

bool isButton(std::string_view name, const std::map<std::string_view, Item>& byName) {
    const WidgetKind kind = byName.at(name)->kind;
    return kind == WidgetKind::Button || kind == WidgetKind::PictureButton;
}

class Walk {
public:
    explicit Walk(const WindowLayout& layout) {
        for (const ComponentRow& c : layout.components) {
            byName_.emplace(c.name, &c);
            children_[c.container].push_back(&c);
            if (c.container.rfind("page", 0) == 0 &&
                std::find(pages_.begin(), pages_.end(), c.container) == pages_.end())
                pages_.push_back(c.container);
        }
    }

    std::vector<std::string_view> run() {
        std::vector<std::string_view> out;
        container("", out);
        return out;
    }

private:
    void container(std::string_view name, std::vector<std::string_view>& out) {
        const auto it = children_.find(name);
        if (it == children_.end()) return;
        std::vector<Item> ordered;
        readingOrder(it->second, ordered);
        for (Item c : ordered) component(c, out);
    }

    void component(Item c, std::vector<std::string_view>& out) {
        if (c->kind == WidgetKind::GroupBox) {
            std::vector<std::string_view> inside;
            container(c->name, inside);
            // A group's button acts on what was typed above it, so it comes last.
            std::stable_partition(inside.begin(), inside.end(),
                                  [this](std::string_view n) { return !isButton(n, byName_); });
            out.insert(out.end(), inside.begin(), inside.end());
            return;
        }
        if (takesFocus(c->kind)) out.push_back(c->name);
        if (c->kind == WidgetKind::TabControl)
            for (std::string_view page : pages_) container(page, out);
    }

    // Rows top to bottom, each row's columns left to right, recursively.
    static void readingOrder(const std::vector<Item>& items, std::vector<Item>& out) {
        if (items.size() <= 1) {
            out.insert(out.end(), items.begin(), items.end());
            return;
        }
        if (auto rows = split(items, true); rows.size() > 1) {
            for (const auto& row : rows) readingOrder(row, out);
            return;
        }
        // A component as tall as several rows (a picture button beside two rows, the tab control
        // beside the creation boxes and the list) belongs to the row its top edge is in.
        std::vector<Item> byHeight = items;
        std::stable_sort(byHeight.begin(), byHeight.end(), [](Item a, Item b) { return a->height > b->height; });
        for (std::size_t tall = 1; tall + 2 <= items.size(); ++tall) {
            std::vector<Item> rest(byHeight.begin() + static_cast<std::ptrdiff_t>(tall), byHeight.end());
            auto rows = split(rest, true);
            if (rows.size() == 1) continue;
            for (std::size_t i = 0; i < tall; ++i) {
                auto row = std::find_if(rows.begin(), rows.end(), [c = byHeight[i]](const std::vector<Item>& r) {
                    return std::any_of(r.begin(), r.end(), [c](Item x) { return end(x, true) > c->top; });
                });
                (row == rows.end() ? rows.back() : *row).push_back(byHeight[i]);
            }
            for (const auto& row : rows) readingOrder(row, out);
            return;
        }
        if (auto columns = split(items, false); columns.size() > 1) {
            for (const auto& column : columns) readingOrder(column, out);
            return;
        }
        std::vector<Item> rest = items;
        std::stable_sort(rest.begin(), rest.end(),
                         [](Item a, Item b) { return a->top != b->top ? a->top < b->top : a->left < b->left; });
        out.insert(out.end(), rest.begin(), rest.end());
    }

    std::map<std::string_view, Item> byName_;
    std::map<std::string_view, std::vector<Item>> children_;
    std::vector<std::string_view> pages_;
};

}  // namespace

std::vector<std::string_view> focusOrder(const WindowLayout& layout) { return Walk(layout).run(); }

}  // namespace velmora
