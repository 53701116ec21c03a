// Arbitrary bytes as a plan read back from the history: the decoder never crashes nor reads out of
// bounds, refuses or accepts the same bytes step by step as whole, and what it accepts is written
// again the same. The same bytes cut into names go through the encoder and come back unchanged.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/history/step_codec.h"

using namespace velmora;

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);

    std::vector<JournalStep> read;
    StepDecoder decoder(bytes);
    for (JournalStep step; decoder.next(step);) {
        // Every name is made of bytes of the blob, so none can be longer than the blob.
        check(step.from.size() <= size && step.to.size() <= size);
        read.push_back(step);
    }
    check(!decoder.next(read.emplace_back()));  // the end stays the end
    read.pop_back();
    const auto whole = decodeSteps(bytes);
    check(whole.has_value() != decoder.damaged());
    if (whole) {
        check(*whole == read);
        check(decodeSteps(encodeSteps(read)) == read);
    }

    // Names split at NUL bytes, taken two at a time as old and new name.
    std::vector<JournalStep> steps;
    std::vector<std::string> names;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= size; ++i) {
        if (i == size || bytes[i] == '\0') {
            names.push_back(bytes.substr(start, i - start));
            start = i + 1;
        }
    }
    for (std::size_t i = 0; i + 1 < names.size(); i += 2)
        steps.push_back({names[i], names[i + 1], (std::uint64_t{1} << (i % 64)) - 1});
    const std::string blob = encodeSteps(steps);
    check(decodeSteps(blob) == steps);
    StepEncoder one;
    for (const JournalStep& s : steps) one.add(s.from, s.to, s.inode);
    check(one.size() == steps.size() && one.blob() == blob);
    return 0;
}
