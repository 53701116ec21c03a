#pragma once
// A run's plan as the history stores it: one blob of steps, each the old name, the new name as
// what it changes of the old one, and the entry's inode. The blob is read back from disk, so the
// decoder takes any bytes and refuses what it cannot read.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/text/encoding.h"

namespace velmora {

/// One planned rename as the history keeps it: the names exactly as the file system has them and
/// the entry's inode, which tells after a crash whether the step was made.
struct JournalStep {
    NativeName from;
    NativeName to;
    std::uint64_t inode = 0;
    friend bool operator==(const JournalStep& a, const JournalStep& b) {
        return a.from == b.from && a.to == b.to && a.inode == b.inode;
    }
};

/// A run's plan as the history writes it, made one step at a time, so a run never holds its steps
/// a second time to write them down.
class StepEncoder {
public:
    void reserve(std::size_t bytes) { blob_.reserve(bytes); }
    void add(std::string_view from, std::string_view to, std::uint64_t inode);
    std::size_t size() const { return count_; }
    const std::string& blob() const { return blob_; }

private:
    std::string blob_;
    std::size_t count_ = 0;
};

/// Reads an encoded plan back one step at a time, in order, without making every step at once.
class StepDecoder {
public:
    explicit StepDecoder(std::string_view blob) : blob_(blob) {}
    /// The next step into step; false at the end, or where the plan is damaged.
    bool next(JournalStep& step);
    bool damaged() const { return damaged_; }

private:
    std::string_view blob_;
    std::size_t at_ = 0;
    bool damaged_ = false;
};

/// The plan blob: every step as from, to and inode.
std::string encodeSteps(const std::vector<JournalStep>& steps);
std::optional<std::vector<JournalStep>> decodeSteps(const std::string& blob);

}  // namespace velmora
