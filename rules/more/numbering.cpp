// 按钮_加序号: numbers the entries in natural order after a template, where a run of # is the
// number padded with zeros to that many digits, * is the entry's name part, and <拍摄日期> and its
// kind are values read from the files (rules/more/name_template.h). With a date or time in the
// template the entries are numbered in the order of that moment, then in natural order.
#include <algorithm>
#include <map>
#include <memory>
#include <string_view>

#include "core/fs/disk.h"
#include "core/fs/paths.h"
#include "rules/catalogue.h"
#include "rules/common.h"
#include "rules/more/name_template.h"

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

std::optional<Message> refuseTemplateWithoutNumber(const Window& w) {
    const auto parsed = parseTemplate(w.content(编辑框_模板));
    if (!parsed) return Message{"模板里有不认识的"_t + parsed.error(), style::information, "提示"_t};
    if (!parsed.value().numbered && parsed.value().values == 0)
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
    std::shared_ptr<const NameList> sorted;  // the rows as sorted by the header; null: natural order
    bool perFolder = false;  // 选择框_每个文件夹重新编号
    friend bool operator==(const NumberingInputs& a, const NumberingInputs& b) {
        const bool sameOrder = a.sorted == b.sorted || (a.sorted && b.sorted && *a.sorted == *b.sorted);
        return a.pattern == b.pattern && a.start == b.start && a.step == b.step && sameOrder &&
               a.perFolder == b.perFolder;
    }
};

NumberingInputs readInputs(const Window& w) {
    return {w.content(编辑框_模板), wholeNumber(typedNumber(w, 编辑框_起始)).value_or(1),
            wholeNumber(typedNumber(w, 编辑框_步长)).value_or(1), w.sortedNames(),
            w.checked(选择框_每个文件夹重新编号)};
}

// The folder part of a listed path below the folder ("第1季/"); empty for the folder's own entries.
std::string_view folderOf(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash + 1);
}

// What the files gave one entry: its values in template order, or the failure of the first value
// it lacks; and where it comes in the numbering.
struct Found {
    std::vector<Text> values;
    StepFailure missing = StepFailure::None;
    std::optional<long long> moment;
};

struct Surveyed {
    std::vector<Found> found;  // by listing index
    std::vector<long long> place;  // by listing index: 0-based place in the numbering
};

bool placeEntries(const NameTemplate& t, const Survey& s, const NameList* sorted, bool perFolder, Surveyed& out);

// Reads what the template asks of every entry the transform will see, through the program's
// cache, and puts the entries in numbering order: by the moment of the template's first date or
// time where it has one (entries lacking it last), then in the order the rows are sorted in where
// sorted, else as listed. False when cancelled.
bool surveyEntries(const NameTemplate& t, const Survey& s, const NameList* sorted, bool perFolder, Surveyed& out) {
    out.found.assign(s.listing.size(), {});
    out.place.assign(s.listing.size(), 0);
    if (!t.values) return placeEntries(t, s, sorted, perFolder, out);
    const std::string folder = textToNative(withTrailingSeparator(s.folder)).value_or(std::string());
    std::optional<bool> windows;
    const std::function<bool()> windowsNames = [&] {
        if (!windows) windows = diskOf(folder).windowsNames;
        return *windows;
    };
    ProgressThrottle throttle(s.progress, s.visited.size());
    for (std::size_t k = 0; k < s.visited.size(); ++k) {
        if (s.cancelled()) return false;
        throttle.tick(k + 1);
        const std::size_t i = s.visited[k];
        const auto native = s.listing.native(i);
        const FileFacts facts = native ? factsOf(folder + *native, t.groups, sharedFactCache()) : FileFacts{};
        Found& found = out.found[i];
        for (const TemplatePiece& piece : t.pieces) {
            if (piece.kind != TemplatePiece::Kind::Value) continue;
            auto value = pieceValue(piece, facts, windowsNames);
            if (!value) {
                found.missing = missingValue(piece);
                found.values.clear();
                break;
            }
            found.values.push_back(std::move(*value));
        }
        if (t.orderPiece) found.moment = pieceMoment(t.pieces[*t.orderPiece], facts);
    }
    return placeEntries(t, s, sorted, perFolder, out);
}

// perFolder: each folder below numbers its own entries from the first place.
bool placeEntries(const NameTemplate& t, const Survey& s, const NameList* sorted, bool perFolder, Surveyed& out) {
    std::vector<std::size_t> order = s.visited;
    if (sorted) {
        // An entry without a row comes after those with one.
        const auto nameOf = [sorted](std::uint32_t r) { return sorted->bytes(r); };
        PositionTable rowNamed(sorted->size());
        for (std::uint32_t r = 0; r < sorted->size(); ++r) rowNamed.insert(r, nameOf);
        std::vector<std::uint32_t> rank(s.listing.size(), PositionTable::none);
        for (std::size_t i : order) rank[i] = rowNamed.find(s.listing.bytes(i), nameOf);
        std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return rank[a] < rank[b]; });
    }
    if (t.orderPiece)
        std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
            const auto& ma = out.found[a].moment;
            const auto& mb = out.found[b].moment;
            return ma && (!mb || *ma < *mb);
        });
    std::map<std::string_view, long long> placed;  // folder -> entries placed in it so far
    for (std::size_t k = 0; k < order.size(); ++k)
        out.place[order[k]] = perFolder ? placed[folderOf(s.listing.bytes(order[k]))]++ : static_cast<long long>(k);
    return true;
}

// The k-th entry in numbering order gets start + k * step; a number past the range of long long
// refuses its entry, and so does a value its file lacks. Without values, and while the rows are
// not sorted by the header, entries reach the transform in natural order, once each, skipped and
// left-out ones left out, and are numbered as they come.
Pass numberingPass(const NumberingInputs& in, Kind, std::size_t) {
    auto parsed = parseTemplate(in.pattern);
    if (!parsed) return Pass{[](const Entry&) { return std::optional<Text>(); }, {}};
    auto t = std::make_shared<const NameTemplate>(std::move(parsed.value()));
    auto calls = std::make_shared<std::map<std::string, long long>>();  // by folder, where numbered per folder
    auto surveyed = std::make_shared<Surveyed>();
    const bool placed = t->values || in.sorted;
    Pass pass{
        [in, t, calls, surveyed, placed](const Entry& e) -> std::optional<Text> {
            const std::size_t i = e.index - 1;
            const long long place =
                placed ? surveyed->place[i] : (*calls)[in.perFolder ? std::string(e.within) : std::string()]++;
            if (t->values && surveyed->found[i].missing != StepFailure::None) {
                e.refuse(surveyed->found[i].missing);
                return std::nullopt;
            }
            long long number = 0;
            if (__builtin_mul_overflow(in.step, place, &number) || __builtin_add_overflow(number, in.start, &number)) {
                e.refuse(StepFailure::OutOfRange);
                return std::nullopt;
            }
            static const std::vector<Text> none;
            Text made = expandTemplate(*t, e.subject, number, t->values ? surveyed->found[i].values : none);
            if (made == e.subject) return std::nullopt;
            return made;
        },
        {}};
    if (placed)
        pass.survey = [t, surveyed, sorted = in.sorted, perFolder = in.perFolder](const Survey& s) {
            return surveyEntries(*t, s, sorted.get(), perFolder, *surveyed);
        };
    return pass;
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
