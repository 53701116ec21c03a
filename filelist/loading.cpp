#include "filelist/loading.h"

#include "core/paths.h"
#include "core/window.h"
#include "core/listing.h"

namespace velmora {
namespace {

using namespace component;

void showRefusal(Window& window, const Text& text) { window.showMessage(text, style::information, "提示"_t); }

// Lists currentFolder into the list view as the kind boxes say; returns which list was filled.
void listIntoView(Window& window, Session& session, bool forgetListing) {
    const Text folder = window.currentFolder();
    std::vector<Text> rows;
    if (window.checked(选择框1)) {
        auto entries = enumerateEntries(folder, EntryKind::Files, ListingOrder::NumberAware, &window);
        session.entryList.clear();
        session.entryList.reserve(entries.size());
        rows.reserve(entries.size());
        const int skip = window.selection(组合框2);
        const Text skipped = skip == -1 ? Text{} : window.chosenText(组合框2);
        for (ListedEntry& e : entries) {
            session.entryList.push_back(e.name);
            session.entryExtension = extensionOf(e.name);
            if (skip != -1 && session.entryExtension == skipped) continue;
            rows.push_back(std::move(e.name));
        }
        if (forgetListing) session.entryList.clear();
    } else if (window.checked(选择框2)) {
        auto entries = enumerateEntries(folder, EntryKind::Folders, ListingOrder::AsFound, &window);
        session.folderList.clear();
        rows.reserve(entries.size());
        for (ListedEntry& e : entries) {
            session.folderList.push_back(e.name);
            rows.push_back(std::move(e.name));
        }
        if (forgetListing) session.folderList.clear();
    } else {
        return;
    }
    window.list().appendRows(std::move(rows));
}

}  // namespace

void loadChosenFolder(Window& window, Session& session) {
    const Text path = window.browseForFolder("选择目录"_t);
    session.lastChosenPath = path;
    if (path.empty()) {
        showRefusal(window, "什么都没有选择"_t);
        return;
    }
    window.setCaption(标签2, withTrailingSeparator(path));
    if (findText(window.currentFolder(), "desktop"_t) != notFound) {
        showRefusal(window, "请不要把视频放在桌面"_t);
        window.setCaption(标签2, {});
        return;
    }
    if (window.currentFolder() == separatorText()) {
        showRefusal(window, "什么都没有选择"_t);
        window.setCaption(标签2, {});
        return;
    }
    listIntoView(window, session, false);
}

void loadDroppedPath(Window& window, Session& session, const Text& path) {
    session.entryList.clear();
    window.list().clearRows();
    const Text folder = folderOfPath(path);
    window.setCaption(标签2, folder);
    session.lastChosenPath = folder;
    listIntoView(window, session, true);
}

void copyRowName(Window& window) {
    const int row = window.list().selectedRow();
    if (row == -1) return;
    window.setClipboardText(window.list().rowText(row));
}

void clearRows(Window& window) { window.list().clearRows(); }

void filesBoxClicked(Window& window) {
    if (window.checked(选择框1)) window.setChecked(选择框2, false);
}

void foldersBoxClicked(Window& window) {
    if (window.checked(选择框2)) window.setChecked(选择框1, false);
}

}  // namespace velmora
