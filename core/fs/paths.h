#pragma once
// Paths as Text. The separator is the platform's: "/" here, "\" on Windows. A folder path that
// names a chosen folder always ends in the separator.

#include "core/text/text.h"

namespace velmora {

#ifdef _WIN32
inline constexpr char kSeparator = '\\';
#else
inline constexpr char kSeparator = '/';
#endif

Text separatorText();
/// The extension from the last dot of the file-name part, dot included; empty when there is none.
/// A dot followed later by a space or a separator starts no extension.
Text extensionOf(const Text& path);
/// The length in bytes of extensionOf(name), without making it.
std::size_t extensionLength(const std::string& name);
/// True when extensionOf(name) equals extension exactly, without making it.
bool extensionIs(const Text& name, const Text& extension);
/// What follows the last separator; without extension the extension is cut off.
Text fileNameOf(const Text& path, bool withExtension = true);
/// The folder holding path, with its separator; a trailing separator of path is ignored.
Text folderOfPath(const Text& path);
/// path with the separator appended when it does not already end in one.
Text withTrailingSeparator(const Text& path);

}  // namespace velmora
