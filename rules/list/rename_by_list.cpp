// 按钮_按列表改名: line i of 编辑框_名称列表 is the new name of the i-th entry the list view shows,
// counting only the entries the rule works on. 按钮_导入列表 loads the list from a text file and
// 按钮_用编辑器编辑 hands it to the desktop's text editor.
#include <cerrno>
#include <memory>
#include <mutex>

#include "core/fs/file_system.h"
#include "core/fs/paths.h"
#include "rules/catalogue.h"
#include "rules/common.h"

namespace velmora {
namespace {

using namespace component;

struct ListInputs {
    BoxContent list;  // 编辑框_名称列表, converted where the plan is made
    bool withExtension = false;  // 选择框_列表含扩展名
    std::shared_ptr<const NameList> shown;  // the rows' current names, as the list view shows them
    friend bool operator==(const ListInputs& a, const ListInputs& b) {
        return a.list == b.list && a.withExtension == b.withExtension &&
               (a.shown == b.shown || (a.shown && b.shown && *a.shown == *b.shown));
    }
};

ListInputs readInputs(const Window& w) {
    return {w.contentAsIs(编辑框_名称列表), w.checked(选择框_列表含扩展名), w.list().currentNames()};
}

const ListInputs& inputsOf(const RunRequest& request) {
    return static_cast<const InputsOf<ListInputs>&>(*request.inputs).value;
}

// Bytes of the space character at s[i] (ASCII space and tab, the full-width space, the no-break
// space, a byte-order mark pasted along), or 0 for any other character.
std::size_t spaceAt(std::string_view s, std::size_t i) {
    static constexpr std::string_view wide[] = {"\xA1\xA1", "\x81\x30\x84\x32", "\x84\x31\x95\x33"};
    if (s[i] == ' ' || s[i] == '\t' || s[i] == '\r' || s[i] == '\v' || s[i] == '\f') return 1;
    if (s[i] != wide[0][0] && s[i] != wide[1][0] && s[i] != wide[2][0]) return 0;
    for (std::string_view w : wide)
        if (s.substr(i, w.size()) == w) return w.size();
    return 0;
}

// Bytes of the character at s[i]: one, or two or four for a GB18030 character.
std::size_t characterAt(std::string_view s, std::size_t i) {
    if (!isLeadByte(s[i]) || i + 1 >= s.size()) return 1;
    const auto second = static_cast<unsigned char>(s[i + 1]);
    return second >= 0x30 && second <= 0x39 && i + 3 < s.size() ? 4 : 2;
}

// One line without the spaces at either end, stepping by characters so that the trail byte of
// one character is never read as the start of another.
std::string_view trimmed(std::string_view line) {
    std::size_t begin = 0;
    while (begin < line.size()) {
        const std::size_t n = spaceAt(line, begin);
        if (n == 0) break;
        begin += n;
    }
    std::size_t end = begin;
    for (std::size_t i = begin; i < line.size();) {
        const std::size_t n = spaceAt(line, i);
        i += n ? n : characterAt(line, i);
        if (n == 0) end = i;
    }
    return line.substr(begin, end - begin);
}

// The list's lines, each trimmed, without the empty lines at its end.
NameList linesOf(const Text& list) {
    const std::string_view all = list.bytes();
    NameList lines;
    std::size_t kept = 0;  // lines up to the last one that is not empty
    for (std::size_t begin = 0; begin <= all.size();) {
        std::size_t end = all.find('\n', begin);
        if (end == std::string_view::npos) end = all.size();
        const std::string_view line = trimmed(all.substr(begin, end - begin));
        lines.add(line);
        if (!line.empty()) kept = lines.size();
        begin = end + 1;
    }
    if (kept == lines.size()) return lines;
    NameList shorter;
    for (std::size_t i = 0; i < kept; ++i) shorter.add(lines.bytes(i));
    return shorter;
}

// The lines of list, worked out once for both the pass and the check of the plan, which ask for
// the same content one after the other.
std::shared_ptr<const NameList> linesOnce(const BoxContent& list) {
    static std::mutex lock;
    static BoxContent last;
    static std::shared_ptr<const NameList> lastLines = std::make_shared<const NameList>();
    {
        const std::lock_guard<std::mutex> hold(lock);
        if (last == list) return lastLines;
    }
    auto lines = std::make_shared<const NameList>(linesOf(list.text()));
    const std::lock_guard<std::mutex> hold(lock);
    last = list;
    lastLines = lines;
    return lines;
}

// The listed entries the list view shows, in its order: each row that names a listed entry of the
// kind treated, once, less the files of the skipped extension. The entries of unchecked and hidden
// rows come last, so that the lines pair with the entries the run works on and planning still
// counts the ones it leaves alone.
SharedListing arrangeShown(const RunRequest& request, const SharedListing& listing) {
    const ListInputs& in = inputsOf(request);
    const auto nameOf = [&](std::uint32_t entry) { return listing->bytes(entry); };
    PositionTable entryNamed(listing->size());
    for (std::size_t i = 0; i < listing->size(); ++i) entryNamed.insert(static_cast<std::uint32_t>(i), nameOf);
    std::vector<bool> taken(listing->size(), false);
    std::vector<std::uint32_t> order;
    std::vector<std::uint32_t> leftAlone;
    const bool files = request.kind == Kind::Files;
    for (std::size_t r = 0; in.shown && r < in.shown->size(); ++r) {
        const std::string_view name = in.shown->bytes(r);
        if (name.empty()) continue;
        const std::uint32_t entry = entryNamed.find(name, nameOf);
        if (entry == PositionTable::none || taken[entry]) continue;
        if (files && skipsFile(request.skipped, listing->text(entry))) continue;
        taken[entry] = true;
        (request.leftOut && request.leftOut->contains(name) ? leftAlone : order).push_back(entry);
    }
    order.insert(order.end(), leftAlone.begin(), leftAlone.end());
    return std::make_shared<const NameList>(listing->permuted(order));
}

// The arrangement made last, kept while the folder, the rows and the choice of rows stay as they
// were: the preview arranges again at each change of the list, and finds the rows of the same
// arrangement without matching them again.
SharedListing shownEntries(const RunRequest& request, const SharedListing& listing) {
    struct Arranged {
        SharedListing listing;
        std::shared_ptr<const NameList> shown;
        SharedLeftOut leftOut;
        std::optional<SkippedExtension> skipped;
        std::optional<Kind> kind;
        SharedListing arranged;
    };
    static std::mutex lock;
    static Arranged last;
    const auto& shown = inputsOf(request).shown;
    {
        const std::lock_guard<std::mutex> hold(lock);
        if (last.arranged && last.listing == listing && last.kind == request.kind && last.skipped == request.skipped &&
            sameLeftOut(last.leftOut, request.leftOut) &&
            (last.shown == shown || (last.shown && shown && *last.shown == *shown)))
            return last.arranged;
    }
    SharedListing arranged = arrangeShown(request, listing);
    const std::lock_guard<std::mutex> hold(lock);
    last = {listing, shown, request.leftOut, request.skipped, request.kind, arranged};
    return arranged;
}

// Entries come in the order of shownEntries, one each, so entry i takes line i.
Pass listPass(const ListInputs& in, Kind, std::size_t) {
    auto lines = linesOnce(in.list);
    return Pass{[lines, withExtension = in.withExtension](const Entry& e) -> std::optional<Text> {
                    if (e.index > lines->size()) return std::nullopt;
                    Text line = lines->text(e.index - 1);
                    if (line.empty()) return std::nullopt;  // an empty line leaves its entry alone
                    return withExtension ? line : line + e.extension();
                },
                {}};
}

std::optional<PlanRefusal> refuseUnevenList(const RunRequest& request, const RunPlan& plan) {
    const std::size_t lines = linesOnce(inputsOf(request).list)->size();
    const std::size_t entries = plan.listing->size() - plan.leftOut;
    if (lines == entries) return std::nullopt;
    const Text counts = "列表有"_t + toText(static_cast<long long>(lines)) + "行，要改名的有"_t +
                        toText(static_cast<long long>(entries)) + "个"_t;
    PlanRefusal refusal;
    refusal.message.text = counts + "，行数要一样"_t;
    refusal.message.caption = "提示"_t;
    refusal.status = counts;
    return refusal;
}

RenameRule makeRule() {
    RenameRule rule = reorderingRule();
    rule.subject = Subject::WholeName;  // a line may hold the extension; the pass decides
    rule.read = reads(readInputs);
    rule.files = passOf<ListInputs>(listPass);
    rule.folders = rule.files;
    rule.arrange = shownEntries;
    rule.checkPlan = refuseUnevenList;
    return rule;
}

Text whyUnreadable(int error) {
    switch (error) {
    case ENOENT:
        return "找不到这个文件"_t;
    case EACCES:
    case EPERM:
        return "没有读取权限"_t;
    case EFBIG:
        return "文件太大"_t;
    case EISDIR:
        return "这是一个文件夹"_t;
    default:
        return "无法读取"_t;
    }
}

}  // namespace

const RenameRule& renameByList() {
    static const RenameRule rule = makeRule();
    return rule;
}

void importNameList(Window& window) {
    const Text path = window.chooseTextFile("从文件导入名称列表"_t);
    if (path.empty()) return;
    const Text name = "“"_t + fileNameOf(path) + "”"_t;
    constexpr std::size_t most = 64u << 20;  // far beyond a list of a million names
    const auto bytes = readFile(path, most);
    if (!bytes) {
        window.showMessage("无法导入"_t + name + "："_t + whyUnreadable(bytes.error()), style::information, "提示"_t);
        return;
    }
    const auto text = decodeTextFile(*bytes);
    if (!text) {
        window.showMessage(name + "不是文本文件（或者编码无法识别），无法导入"_t, style::information, "提示"_t);
        return;
    }
    window.setContent(编辑框_名称列表, *text);
}

Text currentNamesAsList(const Window& window) {
    const RunRequest request = readRequest(renameByList(), window);
    if (!request.kind) return {};
    const bool files = *request.kind == Kind::Files;
    const auto listed = std::make_shared<const NameList>(enumerateEntries(
        request.folder, files ? EntryKind::Files : EntryKind::Folders,
        listingOrder(renameByList(), *request.kind, request.reach), nullptr, KeepNative::No, request.reach));
    const SharedListing shown = shownEntries(request, listed);
    const bool withExtension = inputsOf(request).withExtension;
    std::string out;
    for (std::size_t i = 0; i < shown->size(); ++i) {
        const std::string_view name = shown->bytes(i);
        if (request.leftOut && request.leftOut->contains(name)) break;  // the rest are left alone
        const std::size_t cut = files && !withExtension ? extensionLength(std::string(name)) : 0;
        out.append(name.substr(0, name.size() - cut));
        out += '\n';
    }
    return Text::fromBytes(std::move(out));
}

void editNameList(Window& window) {
    Text list = window.content(编辑框_名称列表);
    if (linesOf(list).empty()) list = currentNamesAsList(window);
    if (!window.editInTextEditor(编辑框_名称列表, list))
        window.showMessage("没有找到可以打开文本文件的编辑器"_t, style::information, "提示"_t);
}

}  // namespace velmora
