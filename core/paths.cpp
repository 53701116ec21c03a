#include "core/paths.h"

namespace velmora {

Text separatorText() { return Text::fromBytes(std::string(1, kSeparator)); }

Text extensionOf(const Text& path) {
    const std::string& s = path.bytes();
    std::size_t dot = std::string::npos;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '.')
            dot = i;
        else if (s[i] == ' ' || s[i] == kSeparator)
            dot = std::string::npos;
        else if (isLeadByte(s[i]) && i + 1 < s.size())
            ++i;  // a trail byte is never a dot or separator in GB18030, skip it anyway
    }
    if (dot == std::string::npos) return {};
    return Text::fromBytes(s.substr(dot));
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
