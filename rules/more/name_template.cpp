#include "rules/more/name_template.h"

#include <algorithm>
#include <cstring>

namespace velmora {
namespace {

enum class Sort : std::uint8_t { Moment, Number, Words };

struct Known {
    const char* name;  // UTF-8, as typed
    Token token;
    Sort sort;
    const char* format;  // the default
    unsigned group;
};

const Known kKnown[] = {
    {"拍摄日期", Token::DateTaken, Sort::Moment, "yyyyMMdd", PhotoFacts},
    {"拍摄时间", Token::TimeTaken, Sort::Moment, "HHmmss", PhotoFacts},
    {"相机", Token::Camera, Sort::Words, "", PhotoFacts},
    {"宽", Token::Width, Sort::Number, "", PhotoFacts},
    {"高", Token::Height, Sort::Number, "", PhotoFacts},
    {"修改日期", Token::ModifiedDate, Sort::Moment, "yyyyMMdd", 0},
    {"修改时间", Token::ModifiedTime, Sort::Moment, "HHmmss", 0},
    {"艺术家", Token::Artist, Sort::Words, "", AudioFacts},
    {"标题", Token::Title, Sort::Words, "", AudioFacts},
    {"专辑", Token::Album, Sort::Words, "", AudioFacts},
    {"音轨", Token::Track, Sort::Number, "00", AudioFacts},
    {"年份", Token::Year, Sort::Number, "", AudioFacts},
};

const Known& known(Token token) { return kKnown[static_cast<std::size_t>(token)]; }

std::size_t charSize(const std::string& s, std::size_t i) { return isLeadByte(s[i]) && i + 1 < s.size() ? 2 : 1; }

// The first position of c at or after from, stepping over double-byte characters (whose second
// byte may equal c); npos when none.
std::size_t findByte(const std::string& s, char c, std::size_t from, std::size_t end) {
    for (std::size_t i = from; i < end; i += charSize(s, i))
        if (s[i] == c) return i;
    return std::string::npos;
}

bool isAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// A format fits its sort: dates and times take the letters y M d H m s and anything but other
// ASCII letters; numbers take zeros only; words take none.
bool formatFits(Sort sort, const std::string& f) {
    switch (sort) {
    case Sort::Moment:
        for (std::size_t i = 0; i < f.size(); i += charSize(f, i))
            if (isAsciiLetter(f[i]) && !std::strchr("yMdHms", f[i])) return false;
        return !f.empty();
    case Sort::Number:
        return !f.empty() && f.find_first_not_of('0') == std::string::npos;
    case Sort::Words:
        return false;
    }
    return false;
}

// One choice between < and >: a known name and, after a colon, a format that fits it.
std::optional<TokenChoice> choiceOf(const std::string& text) {
    const std::size_t colon = findByte(text, ':', 0, text.size());
    const std::string name = text.substr(0, colon);
    for (const Known& k : kKnown) {
        if (Text::fromUtf8(k.name).bytes() != name) continue;
        if (colon == std::string::npos) return TokenChoice{k.token, Text::fromUtf8(k.format).bytes()};
        std::string format = text.substr(colon + 1);
        if (!formatFits(k.sort, format)) return std::nullopt;
        return TokenChoice{k.token, std::move(format)};
    }
    return std::nullopt;
}

// The choices of a token's text, separated by |; a choice without a format of its own takes the
// format of the one before it where both are of one sort.
std::optional<std::vector<TokenChoice>> choicesOf(const std::string& text) {
    std::vector<TokenChoice> choices;
    for (std::size_t from = 0;;) {
        std::size_t bar = findByte(text, '|', from, text.size());
        const std::string part = text.substr(from, bar == std::string::npos ? std::string::npos : bar - from);
        auto choice = choiceOf(part);
        if (!choice) return std::nullopt;
        if (!choices.empty() && findByte(part, ':', 0, part.size()) == std::string::npos &&
            known(choices.back().token).sort == known(choice->token).sort &&
            choices.back().format != Text::fromUtf8(known(choices.back().token).format).bytes())
            choice->format = choices.back().format;
        choices.push_back(std::move(*choice));
        if (bar == std::string::npos) return choices;
        from = bar + 1;
    }
}

std::string digits(long long value, std::size_t width) {
    std::string d = std::to_string(value);
    if (d.size() < width) d.insert(0, width - d.size(), '0');
    return d;
}

std::string formatMoment(const Moment& m, const std::string& f) {
    std::string out;
    for (std::size_t i = 0; i < f.size();) {
        const char c = f[i];
        const char* letters = "yMdHms";
        if (c == '\0' || !std::strchr(letters, c) || isLeadByte(c)) {
            const std::size_t n = charSize(f, i);
            out.append(f, i, n);
            i += n;
            continue;
        }
        std::size_t run = 0;
        while (i + run < f.size() && f[i + run] == c) ++run;
        i += run;
        switch (c) {
        case 'y':
            out += run == 2 ? digits(m.year % 100, 2) : digits(m.year, run);
            break;
        case 'M':
            out += digits(m.month, run);
            break;
        case 'd':
            out += digits(m.day, run);
            break;
        case 'H':
            out += digits(m.hour, run);
            break;
        case 'm':
            out += digits(m.minute, run);
            break;
        default:
            out += digits(m.second, run);
            break;
        }
    }
    return out;
}

std::optional<Moment> momentOf(Token token, const FileFacts& facts) {
    if (token == Token::DateTaken || token == Token::TimeTaken) return facts.taken;
    if (facts.found) return facts.modified;
    return std::nullopt;
}

std::optional<Text> valueOf(const TokenChoice& choice, const FileFacts& facts) {
    const auto number = [&](const std::optional<long long>& n) -> std::optional<Text> {
        if (!n) return std::nullopt;
        return Text::fromBytes(digits(*n, choice.format.size()));
    };
    switch (choice.token) {
    case Token::DateTaken:
    case Token::TimeTaken:
    case Token::ModifiedDate:
    case Token::ModifiedTime:
        if (const auto m = momentOf(choice.token, facts)) return Text::fromBytes(formatMoment(*m, choice.format));
        return std::nullopt;
    case Token::Camera:
        return facts.camera;
    case Token::Artist:
        return facts.artist;
    case Token::Title:
        return facts.title;
    case Token::Album:
        return facts.album;
    case Token::Width:
        return number(facts.width);
    case Token::Height:
        return number(facts.height);
    case Token::Track:
        return number(facts.track);
    case Token::Year:
        return number(facts.year);
    }
    return std::nullopt;
}

}  // namespace

Expected<NameTemplate, Text> parseTemplate(const Text& pattern) {
    const std::string& s = pattern.bytes();
    NameTemplate t;
    const auto literal = [&](std::size_t from, std::size_t n) {
        if (t.pieces.empty() || t.pieces.back().kind != TemplatePiece::Kind::Literal) t.pieces.push_back({});
        t.pieces.back().literal.append(s, from, n);
    };
    for (std::size_t i = 0; i < s.size();) {
        if (s[i] == '#') {
            std::size_t run = 0;
            while (i + run < s.size() && s[i + run] == '#') ++run;
            t.pieces.push_back({TemplatePiece::Kind::Number, {}, run, {}});
            t.numbered = true;
            i += run;
        } else if (s[i] == '*') {
            t.pieces.push_back({TemplatePiece::Kind::OldName, {}, 0, {}});
            ++i;
        } else if (const std::size_t close = s[i] == '<' ? findByte(s, '>', i, s.size()) : std::string::npos;
                   close != std::string::npos) {
            auto choices = choicesOf(s.substr(i + 1, close - i - 1));
            if (!choices) return unexpected(Text::fromBytes(s.substr(i, close - i + 1)));
            for (const TokenChoice& c : *choices) t.groups |= known(c.token).group;
            if (!t.orderPiece && known(choices->front().token).sort == Sort::Moment) t.orderPiece = t.pieces.size();
            t.pieces.push_back({TemplatePiece::Kind::Value, {}, 0, std::move(*choices)});
            ++t.values;
            i = close + 1;
        } else {
            const std::size_t n = charSize(s, i);
            literal(i, n);
            i += n;
        }
    }
    return t;
}

bool needsWindowsCare(const Text& value) {
    const std::string& s = value.bytes();
    for (std::size_t i = 0; i < s.size(); i += charSize(s, i))
        if (std::strchr("\\:*?\"<>|", s[i]) && s[i] != '\0') return true;
    return false;
}

Text fitForName(const Text& value, bool windowsNames) {
    static const char* const ascii = "/\\:*?\"<>|";
    static const Text wide[] = {"／"_t, "＼"_t, "："_t, "＊"_t, "？"_t, "＂"_t, "＜"_t, "＞"_t, "｜"_t};
    const std::string& s = value.bytes();
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t n = charSize(s, i);
        const auto c = static_cast<unsigned char>(s[i]);
        if (n == 1 && (c < 0x20 || c == 0x7F)) {
            ++i;
            continue;
        }
        const char* special = n == 1 && c != 0 ? std::strchr(ascii, s[i]) : nullptr;
        if (special && (windowsNames || *special == '/'))
            out += wide[special - ascii].bytes();
        else
            out.append(s, i, n);
        i += n;
    }
    return trimText(Text::fromBytes(std::move(out)));
}

std::optional<Text> pieceValue(const TemplatePiece& piece, const FileFacts& facts,
                               const std::function<bool()>& windowsNames) {
    for (const TokenChoice& choice : piece.choices)
        if (auto value = valueOf(choice, facts)) {
            Text fit = fitForName(*value, needsWindowsCare(*value) && windowsNames());
            if (!fit.empty()) return fit;
        }
    return std::nullopt;
}

std::optional<long long> pieceMoment(const TemplatePiece& piece, const FileFacts& facts) {
    for (const TokenChoice& choice : piece.choices)
        if (known(choice.token).sort == Sort::Moment)
            if (const auto m = momentOf(choice.token, facts)) return m->key();
    return std::nullopt;
}

StepFailure missingValue(const TemplatePiece& piece) {
    return static_cast<StepFailure>(static_cast<int>(StepFailure::NoDateTaken) +
                                    static_cast<int>(piece.choices.front().token));
}

Text expandTemplate(const NameTemplate& t, const Text& namePart, long long number, const std::vector<Text>& values) {
    std::string out;
    std::size_t value = 0;
    for (const TemplatePiece& piece : t.pieces) {
        switch (piece.kind) {
        case TemplatePiece::Kind::Literal:
            out += piece.literal;
            break;
        case TemplatePiece::Kind::Number: {
            const unsigned long long magnitude =
                number < 0 ? 0ULL - static_cast<unsigned long long>(number) : static_cast<unsigned long long>(number);
            std::string d = std::to_string(magnitude);
            if (d.size() < piece.width) d.insert(0, piece.width - d.size(), '0');
            out += number < 0 ? "-" + d : d;
            break;
        }
        case TemplatePiece::Kind::OldName:
            out += namePart.bytes();
            break;
        case TemplatePiece::Kind::Value:
            out += values[value++].bytes();
            break;
        }
    }
    return Text::fromBytes(std::move(out));
}

}  // namespace velmora
