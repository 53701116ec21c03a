#pragma once
// Why a planned rename fails, judged by name: what the folder's disk refuses, how it compares
// names, and which names the folder holds. The reason as a person reads it is interaction's
// (interaction/reasons.h).

#include <optional>
#include <string>
#include <string_view>

#include "core/fs/listing.h"
#include "core/plan/run_plan.h"
#include "core/text/encoding.h"

namespace velmora {

/// What disk refuses of path (a native name; of a relative path, its last part); a null disk takes
/// every name of up to 255 bytes.
StepFailure diskRefusal(const NativeName& path, const Disk* disk);

/// What the names alone say of renaming the entry named oldNative to newNative, before any
/// collision: the transform's refusal first; a name that could not be read exactly or has no native
/// form (Invalid); a new name outside the old one's folder, or ".." (LeavesFolder, before validity,
/// so a separator is told as leaving the folder; an entry below the folder is named by its relative
/// path, and only its last part is the name); no name at all, or the old name itself (Invalid); what disk refuses. The
/// one judgement of a step's names that the plan, its lines and rename order share.
StepFailure nameFailure(StepFailure refusal, bool exact, const std::optional<NativeName>& newNative,
                        std::string_view oldNative, const Disk* disk);

/// Name as disk compares names: folded where it ignores case, else as it is.
std::string comparedName(std::string_view name, const Disk* disk);

/// The names a folder holds, exactly as the file system has them; with Reach::Below also those of
/// every folder below it, as relative paths.
NameSet namesIn(const Text& folder, Reach reach = Reach::Folder);

}  // namespace velmora
