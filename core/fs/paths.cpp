#include "core/fs/paths.h"

namespace velmora {

Text separatorText() { return Text::fromBytes(std::string(1, kSeparator)); }

// Scanning back from the end is safe: no byte of a multi-byte GB18030 character is a dot, a
// space or a separator.
std::size_t extensionLength(const std::string& name) {
    for (std::size_t i = name.size(); i-- > 0;) {
        const char c = name[i];
        if (c == '.') return name.size() - i;
        if (c == ' ' || c == kSeparator) return 0;
    }
    return 0;
}

bool extensionIs(const Text& name, const Text& extension) {
    const std::string& s = name.bytes();
    const std::size_t n = extensionLength(s);
    return n == extension.bytes().size() && s.compare(s.size() - n, n, extension.bytes()) == 0;
}

Text extensionOf(const Text& path) {
    const std::size_t n = extensionLength(path.bytes());
    return n == 0 ? Text{} : Text::fromBytes(path.bytes().substr(path.bytes().size() - n));
}

Text fileNameOf(const Text& path, bool withExtension) {
    const std::string& s = path.bytes();
    const std::size_t sep = s.rfind(kSeparator);
    Text name = sep == std::string::npos ? path : Text::fromBytes(s.substr(sep + 1));
    if (withExtension) return name;
    return leftText(name, name.length() - extensionOf(name).length());
}

Text folderOfPath(const Text& path) {
    std::string s = path.bytes();
    if (!s.empty() && s.back() == kSeparator) s.pop_back();
    const std::size_t sep = s.rfind(kSeparator);
    if (sep == std::string::npos) return {};
    return Text::fromBytes(s.substr(0, sep + 1));
}

Text withTrailingSeparator(const Text& path) {
    if (!path.empty() && path.bytes().back() == kSeparator) return path;
    return path + separatorText();
}

}  // namespace velmora
