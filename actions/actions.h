#pragma once
// What the window's buttons do besides renaming: saving the list's names and creating entries.
// Neither goes through the renaming pipeline, so they stand beside the rules, not among them.

#include "core/text/text.h"
#include "interaction/session.h"
#include "interaction/window.h"

namespace velmora {

void createEntries(Window& window, Session& session);  // 按钮14
void targetBoxFocused(Window& window);  // 编辑框14 gets the focus
void extensionBoxFocused(Window& window);  // 编辑框15 gets the focus
void saveOriginalNames(Window& window);  // 按钮16
/// Saves the rows to the names file in folder; where folder cannot be written, in fallbackFolder
/// (made when missing; none when empty). The handler passes programFolder() and userDataFolder().
void saveOriginalNames(Window& window, const Text& folder, const Text& fallbackFolder);
/// Where the original names are saved while the program's folder can be written.
Text originalNamesPath();
/// The program's folder in the user's data: $XDG_DATA_HOME/velmora/, by default
/// ~/.local/share/velmora/; empty when neither variable gives an absolute path.
Text userDataFolder();

}  // namespace velmora
