// A song's tags through TagLib: artist, title, album, track and year. Text that a tag declares
// Latin-1 goes through latin1TagText, since old Chinese tags hold GBK bytes there.
#include <taglib/apefile.h>
#include <taglib/apetag.h>
#include <taglib/asffile.h>
#include <taglib/fileref.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpcfile.h>
#include <taglib/mpegfile.h>
#include <taglib/tdebuglistener.h>
#include <taglib/textidentificationframe.h>
#include <taglib/wavpackfile.h>

#include <exception>

#include "core/meta/file_facts.h"
#include "core/meta/tag_text.h"

namespace velmora {
namespace {

// A damaged file is the reader's answer, not a line on the terminal.
class Quiet final : public TagLib::DebugListener {
public:
    void printMessage(const TagLib::String&) override {}
};

void quietOnce() {
    static Quiet quiet;
    static const bool set = [] {
        TagLib::setDebugListener(&quiet);
        return true;
    }();
    (void)set;
}

std::optional<Text> kept(const Text& text) {
    Text trimmed = trimText(text);
    if (trimmed.empty()) return std::nullopt;
    return trimmed;
}

bool fitsLatin1(const TagLib::String& s) {
    for (const wchar_t c : s)
        if (static_cast<unsigned long>(c) > 0xFF) return false;
    return true;
}

// s as it was declared (UTF-8 or UTF-16), or, where singleByte and every character fits in a byte,
// as the bytes the writer meant.
std::optional<Text> textOf(const TagLib::String& s, bool singleByte) {
    if (s.isEmpty()) return std::nullopt;
    if (singleByte && fitsLatin1(s)) return kept(latin1TagText(s.to8Bit(false)));
    return kept(utf8ToText(s.to8Bit(true)).text);
}

std::optional<long long> numberOf(unsigned int n) {
    if (n == 0) return std::nullopt;
    return static_cast<long long>(n);
}

// The first text frame id of an ID3v2 tag, read as its encoding declares (Latin-1 through
// latin1TagText).
std::optional<Text> frameText(TagLib::ID3v2::Tag& tag, const char* id) {
    const TagLib::ID3v2::FrameList& frames = tag.frameList(id);
    if (frames.isEmpty()) return std::nullopt;
    const auto* frame = dynamic_cast<const TagLib::ID3v2::TextIdentificationFrame*>(frames.front());
    if (!frame) return std::nullopt;
    return textOf(frame->toString(), frame->textEncoding() == TagLib::String::Latin1);
}

void readMpeg(TagLib::MPEG::File& file, FileFacts& facts) {
    struct Field {
        std::optional<Text> FileFacts::*slot;
        const char* frame;
        TagLib::String (TagLib::Tag::*get)() const;
    };
    const Field fields[] = {{&FileFacts::artist, "TPE1", &TagLib::Tag::artist},
                            {&FileFacts::title, "TIT2", &TagLib::Tag::title},
                            {&FileFacts::album, "TALB", &TagLib::Tag::album}};
    for (const Field& f : fields) {
        std::optional<Text>& slot = facts.*f.slot;
        if (file.hasID3v2Tag()) slot = frameText(*file.ID3v2Tag(), f.frame);
        if (!slot && file.hasAPETag()) slot = textOf((file.APETag()->*f.get)(), true);
        if (!slot && file.hasID3v1Tag()) slot = textOf((file.ID3v1Tag()->*f.get)(), true);
    }
}

}  // namespace

void readAudioFacts(const NativeName& path, FileFacts& facts) {
    quietOnce();
    try {
        TagLib::FileRef ref(path.c_str(), false);
        if (ref.isNull() || !ref.tag()) return;
        TagLib::File* file = ref.file();
        TagLib::Tag& tag = *ref.tag();
        if (auto* mpeg = dynamic_cast<TagLib::MPEG::File*>(file)) {
            readMpeg(*mpeg, facts);
        } else {
            // WMA, and APE tags, are written a byte per character by some old Chinese programs.
            const bool singleByte = dynamic_cast<TagLib::ASF::File*>(file) || dynamic_cast<TagLib::APE::File*>(file) ||
                                    dynamic_cast<TagLib::MPC::File*>(file) ||
                                    dynamic_cast<TagLib::WavPack::File*>(file);
            facts.artist = textOf(tag.artist(), singleByte);
            facts.title = textOf(tag.title(), singleByte);
            facts.album = textOf(tag.album(), singleByte);
        }
        facts.track = numberOf(tag.track());
        facts.year = numberOf(tag.year());
    } catch (const std::exception&) {
        // A file TagLib cannot take holds no tags.
    }
}

}  // namespace velmora
