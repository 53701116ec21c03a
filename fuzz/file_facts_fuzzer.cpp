// Arbitrary bytes as a photo and as a song: the readers of what files hold never crash, never read
// out of bounds, and give only values a name can hold. Damaged and cut-short files are what they
// meet in the wild.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/meta/file_facts.h"
#include "core/meta/tag_text.h"
#include "core/text/encoding.h"

using namespace velmora;

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

std::string written(const char* extension, const std::uint8_t* data, std::size_t size) {
    const std::string path = "/tmp/velmora-fuzz-" + std::to_string(getpid()) + extension;
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        if (size > 0) std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    return path;
}

void checkText(const std::optional<Text>& text) {
    if (text) check(textToUtf8(*text).has_value());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The tag text decoder alone: whatever it gets, valid text comes out.
    check(textToUtf8(latin1TagText({reinterpret_cast<const char*>(data), size})).has_value());
    for (const char* extension : {".jpg", ".mp3"}) {
        const std::string path = written(extension, data, size);
        FileFacts facts;
        readPhotoFacts(path, facts);
        readAudioFacts(path, facts);
        checkText(facts.camera);
        checkText(facts.artist);
        checkText(facts.title);
        checkText(facts.album);
        if (facts.taken) check(facts.taken->month >= 1 && facts.taken->month <= 12);
        std::remove(path.c_str());
    }
    return 0;
}
