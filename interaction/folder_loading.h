#pragma once
// Choosing the current folder and filling the list view.

#include "core/text/text.h"
#include "interaction/session.h"

namespace velmora {

class Window;

/// 按钮1: pick a folder; its entries replace the rows.
void loadChosenFolder(Window& window, Session& session);
/// A dropped file or folder: list the folder that holds it, replacing the rows.
void loadDroppedPath(Window& window, Session& session, const Text& path);
/// A folder opened from outside (the command line, a file manager): listed as a drop lists the
/// folder that holds a dropped entry. folder ends in the separator.
void loadOpenedFolder(Window& window, Session& session, const Text& folder);
/// 超级列表框1 clicked: the selected row's name goes to the clipboard. Returns the name copied,
/// empty when no row is selected or the clipboard took nothing.
Text copyRowName(Window& window);
/// The current folder listed again (the kind boxes or the skipped extension changed, or the disk
/// did): rows of entries still there keep their checks, new ones come checked, gone ones go.
void relistFolder(Window& window, Session& session);
/// 选择框_包括子文件夹 clicked: the folder listed again at the depth the box says, every row in the
/// place of its entry in the new listing, keeping its check.
void subfoldersBoxClicked(Window& window, Session& session);
/// 按钮9: no folder any more, and no rows.
void forgetFolder(Window& window);
/// 选择框1 clicked: files and folders exclude each other.
void filesBoxClicked(Window& window);
/// 选择框2 clicked.
void foldersBoxClicked(Window& window);

}  // namespace velmora
