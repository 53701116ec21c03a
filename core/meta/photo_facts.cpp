// A photo's EXIF through libexiv2: when it was taken, the camera, its size in pixels.
#include <cstdio>
#include <exception>

#include "core/meta/file_facts.h"

// libexiv2 0.27 hands images out in std::auto_ptr, deprecated since C++11.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <exiv2/exiv2.hpp>

namespace velmora {
namespace {

std::optional<std::string> exifString(const Exiv2::ExifData& exif, const char* key) {
    const auto found = exif.findKey(Exiv2::ExifKey(key));
    if (found == exif.end() || found->count() == 0) return std::nullopt;
    return found->toString();
}

std::optional<long long> exifNumber(const Exiv2::ExifData& exif, const char* key) {
    const auto found = exif.findKey(Exiv2::ExifKey(key));
    if (found == exif.end() || found->count() == 0) return std::nullopt;
    const long value = found->toLong();
    if (found->value().ok() && value > 0) return value;
    return std::nullopt;
}

// Quiet: a damaged photo is the reader's answer, not a line on the terminal.
void muteOnce() {
    static const bool muted = [] {
        Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
        Exiv2::XmpParser::initialize();
        return true;
    }();
    (void)muted;
}

}  // namespace

void readPhotoFacts(const NativeName& path, FileFacts& facts) {
    muteOnce();
    try {
        auto image = Exiv2::ImageFactory::open(path, false);
        if (!image.get()) return;
        image->readMetadata();
        const Exiv2::ExifData& exif = image->exifData();
        for (const char* key : {"Exif.Photo.DateTimeOriginal", "Exif.Photo.DateTimeDigitized"}) {
            if (const auto text = exifString(exif, key); text && (facts.taken = momentFrom(*text))) break;
        }
        if (const auto model = exifString(exif, "Exif.Image.Model")) {
            // EXIF text is ASCII by its standard; what a camera puts beyond it is read as UTF-8.
            const Text camera = trimText(utf8ToText(*model).text);
            if (!camera.empty()) facts.camera = camera;
        }
        if (image->pixelWidth() > 0) facts.width = image->pixelWidth();
        if (image->pixelHeight() > 0) facts.height = image->pixelHeight();
        if (!facts.width) facts.width = exifNumber(exif, "Exif.Photo.PixelXDimension");
        if (!facts.height) facts.height = exifNumber(exif, "Exif.Photo.PixelYDimension");
    } catch (const std::exception&) {
        // Not a photo, or damaged before its EXIF: it holds none of these.
    }
}

}  // namespace velmora
#pragma GCC diagnostic pop
