#include "tests/support/media_files.h"

#include <taglib/flacfile.h>
#include <taglib/xiphcomment.h>

#include <cstdlib>
#include <fstream>

namespace velmora::testing {
namespace {

std::string be16(int v) { return {static_cast<char>((v >> 8) & 0xFF), static_cast<char>(v & 0xFF)}; }

std::string sizeBytes(std::size_t n, bool syncsafe) {
    std::string out(4, '\0');
    for (int i = 3; i >= 0; --i) {
        out[static_cast<std::size_t>(i)] = static_cast<char>(syncsafe ? n & 0x7F : n & 0xFF);
        n >>= syncsafe ? 7 : 8;
    }
    return out;
}

std::string shellQuoted(const std::string& s) {
    std::string out = "'";
    for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

}  // namespace

std::string tinyJpeg(int width, int height) {
    std::string j = "\xFF\xD8";
    // One quantisation table of ones.
    j += std::string("\xFF\xDB", 2) + be16(67) + std::string(1, '\0') + std::string(64, '\x01');
    // Baseline, 8 bits, one component.
    j += std::string("\xFF\xC0", 2) + be16(11) + "\x08" + be16(height) + be16(width) +
         std::string("\x01\x01\x11\x00", 4);
    // DC and AC tables of one code each: category 0, end of block.
    j += std::string("\xFF\xC4", 2) + be16(20) + std::string(1, '\x00') + std::string("\x01", 1) +
         std::string(15, '\0') + std::string(1, '\0');
    j += std::string("\xFF\xC4", 2) + be16(20) + std::string("\x10\x01", 2) + std::string(15, '\0') +
         std::string(1, '\0');
    j += std::string("\xFF\xDA", 2) + be16(8) + std::string("\x01\x01\x00\x00\x3F\x00", 6);
    j += std::string("\x3F\xFF\xD9", 3);
    return j;
}

bool writePhoto(const std::string& path, const std::vector<std::string>& exif, int width, int height) {
    std::ofstream(path, std::ios::binary) << tinyJpeg(width, height);
    if (exif.empty()) return true;
    std::string command = "exiv2 -q";
    for (const std::string& e : exif) command += " -M" + shellQuoted("set " + e);
    command += " mo " + shellQuoted(path) + " 2>&1";
    return std::system(command.c_str()) == 0;
}

std::string id3v2(int version, const std::vector<Frame>& frames) {
    std::string body;
    for (const Frame& f : frames) {
        const std::string data = std::string(1, static_cast<char>(f.encoding)) + f.bytes;
        body += f.id + sizeBytes(data.size(), version == 4) + std::string(2, '\0') + data;
    }
    return std::string("ID3") + static_cast<char>(version) + std::string(2, '\0') + sizeBytes(body.size(), true) + body;
}

std::string id3v1(const std::string& title, const std::string& artist, const std::string& album,
                  const std::string& year, int track) {
    const auto field = [](std::string s, std::size_t n) {
        s.resize(n, '\0');
        return s;
    };
    return "TAG" + field(title, 30) + field(artist, 30) + field(album, 30) + field(year, 4) + field("", 28) +
           std::string(1, '\0') + static_cast<char>(track) + static_cast<char>(0xFF);
}

std::string mpegAudio() {
    // MPEG-1 layer III, 128 kbit/s, 44.1 kHz frames of 417 bytes, silent.
    std::string frame = std::string("\xFF\xFB\x90\x00", 4) + std::string(413, '\0');
    return frame + frame + frame;
}

std::string utf16(const std::string& s) {
    std::string out = "\xFF\xFE";
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        unsigned cp = c;
        std::size_t n = 1;
        if (c >= 0xE0) {
            cp = ((c & 0x0F) << 12) | ((s[i + 1] & 0x3F) << 6) | (s[i + 2] & 0x3F);
            n = 3;
        } else if (c >= 0xC0) {
            cp = ((c & 0x1F) << 6) | (s[i + 1] & 0x3F);
            n = 2;
        }
        out += static_cast<char>(cp & 0xFF);
        out += static_cast<char>(cp >> 8);
        i += n;
    }
    return out;
}

std::string tinyFlac() {
    std::string info(34, '\0');
    // Block sizes 4096, sample rate 44100 Hz, 2 channels, 16 bits.
    info[0] = 0x10, info[2] = 0x10;
    info[10] = 0x0A, info[11] = static_cast<char>(0xC4), info[12] = 0x42, info[13] = static_cast<char>(0xF0);
    return std::string("fLaC") + std::string("\x80\x00\x00\x22", 4) + info;
}

bool writeFlacTags(const std::string& path, const std::string& artist, const std::string& title, unsigned track) {
    TagLib::FLAC::File file(path.c_str(), false);
    if (!file.isValid()) return false;
    TagLib::Ogg::XiphComment* comment = file.xiphComment(true);
    comment->setArtist(TagLib::String(artist, TagLib::String::UTF8));
    comment->setTitle(TagLib::String(title, TagLib::String::UTF8));
    comment->setTrack(track);
    return file.save();
}

}  // namespace velmora::testing
