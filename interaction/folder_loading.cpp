#include "interaction/folder_loading.h"

#include "core/fs/listing.h"
#include "core/fs/paths.h"
#include "interaction/window.h"

namespace velmora {
namespace {

using namespace component;

void showRefusal(Window& window, const Text& text) { window.showMessage(text, style::information, "提示"_t); }

enum class Rows { Replace, Mirror, MirrorInListingOrder };

void putRows(Window& window, std::shared_ptr<const NameList> names, Rows rows) {
    if (rows != Rows::Replace) {
        window.list().mirrorNames(std::move(names), rows == Rows::MirrorInListingOrder);
        return;
    }
    window.list().clearRows();
    window.list().appendNames(std::move(names));
}

// Lists currentFolder into the list view as the kind boxes say: the rows become its entries,
// afresh or keeping the checks of the entries that stay. A drop forgets the listing afterwards,
// so it never keeps a copy of the names.
void listIntoView(Window& window, Session& session, bool forgetListing, Rows rows) {
    const Text folder = window.currentFolder();
    const bool files = window.checked(选择框1);
    if (folder.empty() || (!files && !window.checked(选择框2))) {
        window.list().clearRows();
        return;
    }
    WindowProgress progress(window);
    // Below the folder, the rows are the entries at every depth by their relative paths, in
    // natural order of the paths.
    const Reach reach = window.checked(选择框_包括子文件夹) ? Reach::Below : Reach::Folder;
    const ListingOrder order = reach == Reach::Below ? ListingOrder::Natural
                               : files               ? ListingOrder::NumberAware
                                                     : ListingOrder::AsFound;
    auto entries = std::make_shared<const NameList>(enumerateEntries(
        folder, files ? EntryKind::Files : EntryKind::Folders, order, &progress, KeepNative::No, reach));
    EntryListing& listing = files ? session.entryList : session.folderList;
    listing.clear();
    if (!forgetListing) listing.names = entries;
    const int skip = files ? window.selection(组合框2) : -1;
    // The scratch extension ends as the last examined file's.
    if (files && !entries->empty())
        session.entryExtension = extensionOf(fileNameOf(entries->text(entries->size() - 1)));
    if (skip == -1) {
        putRows(window, std::move(entries), rows);
        return;
    }
    const Text skipped = window.chosenText(组合框2);
    auto kept = std::make_shared<NameList>();
    for (std::size_t i = 0; i < entries->size(); ++i)
        if (!extensionIs(fileNameOf(entries->text(i)), skipped)) kept->addFrom(*entries, i);
    kept->shrinkToFit();
    entries.reset();
    putRows(window, std::move(kept), rows);
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
    // A refused folder is no folder: the rows of the one before go with it.
    if (findText(window.currentFolder(), "desktop"_t) != notFound) {
        showRefusal(window, "请不要把视频放在桌面"_t);
        forgetFolder(window);
        return;
    }
    if (window.currentFolder() == separatorText()) {
        showRefusal(window, "什么都没有选择"_t);
        forgetFolder(window);
        return;
    }
    session.entryList.clear();
    listIntoView(window, session, false, Rows::Replace);
}

void loadDroppedPath(Window& window, Session& session, const Text& path) {
    loadOpenedFolder(window, session, folderOfPath(path));
}

void loadOpenedFolder(Window& window, Session& session, const Text& folder) {
    session.entryList.clear();
    window.list().clearRows();
    window.setCaption(标签2, folder);
    session.lastChosenPath = folder;
    listIntoView(window, session, true, Rows::Replace);
}

void relistFolder(Window& window, Session& session) { listIntoView(window, session, true, Rows::Mirror); }

void subfoldersBoxClicked(Window& window, Session& session) {
    listIntoView(window, session, true, Rows::MirrorInListingOrder);
}

Text copyRowName(Window& window) {
    const int row = window.list().selectedRow();
    if (row == -1) return {};
    Text name = window.list().rowText(row);
    return window.setClipboardText(name) ? name : Text{};
}

void forgetFolder(Window& window) {
    window.list().clearRows();
    window.setCaption(标签2, {});
}

void filesBoxClicked(Window& window) {
    if (window.checked(选择框1)) window.setChecked(选择框2, false);
}

void foldersBoxClicked(Window& window) {
    if (window.checked(选择框2)) window.setChecked(选择框1, false);
}

}  // namespace velmora
