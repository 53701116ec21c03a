#pragma once
// The numbering rule's template: runs of # (the number, padded to as many digits), * (the old
// name part), and values the files hold, written <名称>, <名称:格式> or <名称|名称> (the second where
// the file lacks the first).

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/base/expected.h"
#include "core/meta/file_facts.h"
#include "core/plan/run_plan.h"
#include "core/text/text.h"

namespace velmora {

/// The values a template may ask for, in the order of their StepFailure kinds (NoDateTaken, …).
enum class Token : std::uint8_t {
    DateTaken,
    TimeTaken,
    Camera,
    Width,
    Height,
    ModifiedDate,
    ModifiedTime,
    Artist,
    Title,
    Album,
    Track,
    Year,
};

/// A token with its format: for dates and times the letters y M d H m s among other characters,
/// for numbers zeros (the width); empty for the token's own.
struct TokenChoice {
    Token token;
    std::string format;  ///< ASCII letters and digits, or Text bytes copied as they are
};

struct TemplatePiece {
    enum class Kind : std::uint8_t { Literal, Number, OldName, Value };
    Kind kind = Kind::Literal;
    std::string literal;  ///< Literal: its bytes
    std::size_t width = 0;  ///< Number: digits
    std::vector<TokenChoice> choices;  ///< Value: the first one the file holds
};

struct NameTemplate {
    std::vector<TemplatePiece> pieces;
    bool numbered = false;  ///< it holds a #
    std::size_t values = 0;  ///< how many value pieces it holds
    unsigned groups = 0;  ///< the FactGroup bits its values are read from
    /// The first value piece of a date or time: entries are numbered in the order of its moment.
    std::optional<std::size_t> orderPiece;
};

/// pattern as a template, or the first token it does not know, as written ("<拍照日期>"). A < with
/// no > after it is a character like any other.
Expected<NameTemplate, Text> parseTemplate(const Text& pattern);

/// What a value piece gives for a file: the first of its choices that facts hold, formatted, ready
/// for a name (fitForName, as windowsNames says, asked only of a value that needs it); nothing when
/// facts hold none of them.
std::optional<Text> pieceValue(const TemplatePiece& piece, const FileFacts& facts,
                               const std::function<bool()>& windowsNames);

/// The moment a date or time piece orders its entry by, as Moment::key(); nothing when the file
/// holds none.
std::optional<long long> pieceMoment(const TemplatePiece& piece, const FileFacts& facts);

/// The failure of an entry whose file lacks every value of a piece: the first choice's.
StepFailure missingValue(const TemplatePiece& piece);

/// A value as part of a name: / (and, where windowsNames, \ : * ? " < > |) in full width, control
/// characters dropped, spaces at its ends trimmed.
Text fitForName(const Text& value, bool windowsNames);

/// True when fitForName would change value on a disk that takes Windows names beyond what it
/// changes elsewhere: only then need the folder's disk be known.
bool needsWindowsCare(const Text& value);

/// The name the template gives an entry: number for the # runs, namePart for *, values for the
/// value pieces in order.
Text expandTemplate(const NameTemplate& t, const Text& namePart, long long number, const std::vector<Text>& values);

}  // namespace velmora
