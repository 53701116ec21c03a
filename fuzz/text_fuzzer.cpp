// Arbitrary bytes through the text primitives and the number-aware order: no crash, no read out
// of bounds, and the invariants every rule relies on.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/fs/listing.h"
#include "core/text/text.h"

using namespace velmora;

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

bool onBoundary(const std::string& s, int position) {
    std::size_t i = 0;
    while (i < static_cast<std::size_t>(position - 1)) i += isLeadByte(s[i]) ? 2 : 1;
    return i == static_cast<std::size_t>(position - 1);
}

void checkFound(const Text& text, const Text& needle, int position) {
    if (position == notFound || needle.empty()) return;
    check(position >= 1 && position + needle.length() - 1 <= text.length());
    check(onBoundary(text.bytes(), position));
    check(text.bytes().compare(static_cast<std::size_t>(position - 1), needle.bytes().size(), needle.bytes()) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    const std::string all(reinterpret_cast<const char*>(data) + 2, size - 2);
    const std::size_t cut = data[0] % (all.size() + 1);
    const Text text = Text::fromBytes(all.substr(0, cut));
    const Text needle = Text::fromBytes(all.substr(cut));
    const int small = static_cast<int>(data[1] % 64) - 8;

    const int first = findText(text, needle);
    const int last = findTextReverse(text, needle);
    checkFound(text, needle, first);
    checkFound(text, needle, last);
    check((first == notFound) == (last == notFound));
    check(first == notFound || last >= first);

    check(replaceText(text, needle, needle, small, -1) == text);
    const Text removed = replaceText(text, needle, {}, first, 1);
    check(first == notFound || needle.empty() || removed.length() == text.length() - needle.length());

    const Text mid = midText(text, small, small * 3);
    check(mid.length() <= std::max(0, small * 3));
    check(leftText(text, small).length() == std::clamp(small, 0, text.length()));
    check(rightText(text, small).length() == std::clamp(small, 0, text.length()));

    const Text half = toHalfWidth(text);
    check(half.length() <= text.length());
    check(toUpperText(text).length() == text.length());
    const Text trimmed = trimText(text);
    check(trimText(trimmed) == trimmed);
    static_cast<void>(toInteger(text));
    static_cast<void>(compareText(text, needle, data[1] & 1));

    std::vector<Text> names;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= all.size(); ++i) {
        if (i == all.size() || all[i] == '\n') {
            names.push_back(Text::fromBytes(all.substr(start, i - start)));
            start = i + 1;
        }
    }
    std::vector<std::size_t> order = numberAwareOrder(names);
    std::sort(order.begin(), order.end());
    for (std::size_t i = 0; i < order.size(); ++i) check(order[i] == i);
    return 0;
}
