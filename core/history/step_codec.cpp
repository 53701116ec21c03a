#include "core/history/step_codec.h"

#include <algorithm>

namespace velmora {
namespace {

// Numbers as 7 bits a byte, low bits first, the high bit saying that more follow.
void putNumber(std::string& out, std::uint64_t v) {
    while (v >= 0x80) {
        out.push_back(static_cast<char>((v & 0x7f) | 0x80));
        v >>= 7;
    }
    out.push_back(static_cast<char>(v));
}
bool getNumber(std::string_view in, std::size_t& at, std::uint64_t& v) {
    v = 0;
    for (int shift = 0; shift < 64; shift += 7) {
        if (at >= in.size()) return false;
        const auto byte = static_cast<unsigned char>(in[at++]);
        v |= static_cast<std::uint64_t>(byte & 0x7f) << shift;
        if (!(byte & 0x80)) return true;
    }
    return false;
}
bool getBytes(std::string_view in, std::size_t& at, std::uint64_t n, std::string_view& out) {
    if (at > in.size() || in.size() - at < n) return false;
    out = in.substr(at, n);
    at += n;
    return true;
}

// The bytes a new name keeps of the old one's start and end fit in it. Compared one after the
// other: a damaged blob can hold counts whose sum wraps round.
bool keeps(std::string_view from, std::uint64_t head, std::uint64_t tail) {
    return head <= from.size() && tail <= from.size() - head;
}

}  // namespace

// A step is the old name whole, then the new name as what it keeps of the old one's start and end
// plus the bytes between: a rule changes a few bytes of a name, so the plan of a run is about
// half the size of both names written out, and so is the time to write it.
void StepEncoder::add(std::string_view from, std::string_view to, std::uint64_t inode) {
    const std::size_t most = std::min(from.size(), to.size());
    std::size_t head = 0;
    while (head < most && from[head] == to[head]) ++head;
    std::size_t tail = 0;
    while (tail < most - head && from[from.size() - 1 - tail] == to[to.size() - 1 - tail]) ++tail;
    putNumber(blob_, from.size());
    blob_ += from;
    putNumber(blob_, head);
    putNumber(blob_, tail);
    putNumber(blob_, to.size() - head - tail);
    blob_ += to.substr(head, to.size() - head - tail);
    putNumber(blob_, inode);
    ++count_;
}

std::string encodeSteps(const std::vector<JournalStep>& steps) {
    std::size_t size = 0;
    for (const JournalStep& s : steps) size += 8 + s.from.size() + 8;
    StepEncoder plan;
    plan.reserve(size);
    for (const JournalStep& s : steps) plan.add(s.from, s.to, s.inode);
    return plan.blob();
}

bool StepDecoder::next(JournalStep& step) {
    if (at_ >= blob_.size()) return false;
    std::uint64_t n = 0;
    std::uint64_t head = 0;
    std::uint64_t tail = 0;
    std::uint64_t middle = 0;
    std::string_view from;
    std::string_view between;
    if (!getNumber(blob_, at_, n) || !getBytes(blob_, at_, n, from) || !getNumber(blob_, at_, head) ||
        !getNumber(blob_, at_, tail) || !keeps(from, head, tail) || !getNumber(blob_, at_, middle) ||
        !getBytes(blob_, at_, middle, between) || !getNumber(blob_, at_, step.inode)) {
        damaged_ = true;
        at_ = blob_.size();
        return false;
    }
    step.from.assign(from);
    step.to.assign(from.substr(0, head));
    step.to += between;
    step.to += from.substr(from.size() - tail);
    return true;
}

std::optional<std::vector<JournalStep>> decodeSteps(const std::string& blob) {
    std::vector<JournalStep> steps;
    StepDecoder decoder(blob);
    JournalStep step;
    while (decoder.next(step)) steps.push_back(step);
    if (decoder.damaged()) return std::nullopt;
    return steps;
}

}  // namespace velmora
