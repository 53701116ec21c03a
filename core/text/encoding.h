#pragma once
// Conversion between Text (GB18030) and the encodings at the edges: UTF-8 for widget strings and
// for file-system names on Linux. Converters are opened once per thread.

#include <optional>
#include <string>
#include <string_view>

#include "core/text/text.h"

namespace velmora {

struct Decoded {
    Text text;
    bool exact = true;  ///< false when invalid input was replaced by U+FFFD
};

/// UTF-8 to Text; invalid sequences become U+FFFD and clear `exact`.
Decoded utf8ToText(std::string_view utf8);
/// Text to UTF-8; nullopt when the bytes are not valid GB18030 (a character cut in half).
std::optional<std::string> textToUtf8(const Text& text);
/// Text to UTF-8 for display: undecodable bytes become U+FFFD.
std::string textToUtf8Lossy(const Text& text);

/// The text of a text file: UTF-8 with or without a byte-order mark, UTF-16 with one, else
/// GB18030 (which holds GBK); CR LF and a lone CR become LF. Nothing for bytes that are none of
/// these, or that hold control characters other than tab, line and page breaks (a binary file).
std::optional<Text> decodeTextFile(std::string_view bytes);

/// Native file-system names. On Linux these are UTF-8 bytes; the Windows port converts from and
/// to UTF-16 here.
using NativeName = std::string;
inline Decoded nativeToText(const NativeName& name) { return utf8ToText(name); }
inline std::optional<NativeName> textToNative(const Text& text) { return textToUtf8(text); }

}  // namespace velmora
