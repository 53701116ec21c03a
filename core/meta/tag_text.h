#pragma once
// The text of a song's tag as Text. Old Chinese tags hold GBK bytes in fields that declare
// Latin-1 (ID3v1, ID3v2 frames of encoding 0, WMA and APE text written a byte per character), so
// such bytes are read as GB18030 when they look like Chinese and as Latin-1 otherwise.

#include <string_view>

#include "core/text/text.h"

namespace velmora {

/// bytes, declared Latin-1, as Text. Plain ASCII is itself. Bytes that are valid GB18030 are read as
/// GB18030 when they hold a byte 0x80-0x9F (control characters in Latin-1, which no real Latin-1
/// text holds, but lead bytes of GBK) or when most of their two-byte characters have both bytes
/// in 0xA1-0xFE (as GB2312's Chinese characters have; Latin-1 text would need two accented
/// letters in a row). Anything else is Latin-1: "café" (E9 at the end is no whole character),
/// "Mötley Crüe" (F6 74: an accented letter before a plain one).
Text latin1TagText(std::string_view bytes);

}  // namespace velmora
