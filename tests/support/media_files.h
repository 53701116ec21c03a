#pragma once
// Photos and songs made by the tests: JPEGs whose EXIF the exiv2 command-line tool writes, and
// MP3 tags written byte by byte here, so the readers under test meet files they did not make.

#include <cstdint>
#include <string>
#include <vector>

namespace velmora::testing {

/// A baseline JPEG of one grey block that says it is width x height pixels: whole as a file,
/// with no EXIF.
std::string tinyJpeg(int width = 8, int height = 8);

/// Writes a tiny JPEG to path and has exiv2 set each "Key value" of exif in it ("Exif.Image.Model
/// Canon"); false when the tool failed.
bool writePhoto(const std::string& path, const std::vector<std::string>& exif, int width = 8, int height = 8);

/// One ID3v2 text frame: its id, the encoding byte (0 Latin-1, 1 UTF-16 with BOM, 3 UTF-8) and the
/// bytes after it, written as they are.
struct Frame {
    std::string id;
    std::uint8_t encoding;
    std::string bytes;
};
/// An ID3v2 tag of version (3 or 4) holding frames.
std::string id3v2(int version, const std::vector<Frame>& frames);
/// An ID3v1 tag: 128 bytes, each field's bytes as given.
std::string id3v1(const std::string& title, const std::string& artist, const std::string& album,
                  const std::string& year = "", int track = 0);
/// A few MPEG audio frames' worth of bytes: what lies between the tags of an MP3.
std::string mpegAudio();
/// s as UTF-16 with a little-endian BOM (s is UTF-8).
std::string utf16(const std::string& s);
/// The smallest FLAC stream TagLib takes: the marker and a last STREAMINFO block.
std::string tinyFlac();
/// Writes artist, title (UTF-8) and track into the Vorbis comment of the FLAC at path through TagLib.
bool writeFlacTags(const std::string& path, const std::string& artist, const std::string& title, unsigned track);

}  // namespace velmora::testing
