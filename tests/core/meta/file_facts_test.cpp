// The readers of what files hold, on photos whose EXIF the exiv2 tool wrote and songs whose tags
// the test wrote byte by byte: each value, Chinese tags in Latin-1 fields, damaged files, the cache.
#include <fcntl.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <fstream>

#include "core/meta/file_facts.h"
#include "core/meta/tag_text.h"
#include "tests/support/media_files.h"
#include "tests/support/temp_folder.h"

namespace velmora::testing {
namespace {

const std::string kGbkZhou = "\xD6\xDC\xBD\xDC\xC2\xD7";  // 周杰伦 in GBK
const std::string kGbkQingTian = "\xC7\xE7\xCC\xEC";  // 晴天 in GBK

std::string utf8Of(const std::optional<Text>& t) { return t ? textToUtf8(*t).value_or("?") : "<none>"; }
std::string utf8Of(const Text& t) { return utf8Of(std::optional<Text>(t)); }

void writeFile(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

FileFacts read(const std::string& path, unsigned groups) {
    FileFacts facts;
    if (groups & PhotoFacts) readPhotoFacts(path, facts);
    if (groups & AudioFacts) readAudioFacts(path, facts);
    return facts;
}

TEST(TagText, latin1FieldsHoldingGbkReadAsChineseAndRealLatin1StaysLatin1) {
    struct Case {
        std::string bytes;
        std::string expected;
    };
    for (const Case& c : {
             Case{kGbkZhou, "周杰伦"},
             Case{"Jay " + kGbkZhou, "Jay 周杰伦"},
             Case{"\x82\xDC", "傑"},  // GBK beyond GB2312: its lead byte is no Latin-1 character
             Case{"caf\xE9", "café"},  // a lead byte with nothing after it: not GB18030
             Case{"M\xF6tley Cr\xFC"
                  "e",
                  "Mötley Crüe"},  // valid GB18030, but an accent before a plain letter
             Case{"Beyonc\xE9 ", "Beyoncé "},
             Case{"ASCII only", "ASCII only"},
         })
        EXPECT_EQ(utf8Of(latin1TagText(c.bytes)), c.expected) << c.expected;
}

TEST(PhotoFacts, eachValueFromTheExifTheToolWrote) {
    TempFolder f;
    struct Case {
        const char* name;
        std::vector<std::string> exif;
        std::string taken;  // yyyyMMddHHmmss or empty
        std::string camera;
    };
    for (const Case& c : {
             Case{"original.jpg",
                  {"Exif.Photo.DateTimeOriginal 2024:05:01 14:02:33", "Exif.Image.Model Canon EOS R6"},
                  "20240501140233",
                  "Canon EOS R6"},
             Case{"digitized.jpg", {"Exif.Photo.DateTimeDigitized 2023:12:31 23:59:58"}, "20231231235958", "<none>"},
             Case{"both.jpg",
                  {"Exif.Photo.DateTimeDigitized 2020:01:01 00:00:00",
                   "Exif.Photo.DateTimeOriginal 2019:02:03 04:05:06"},
                  "20190203040506",
                  "<none>"},
             Case{"zeros.jpg", {"Exif.Photo.DateTimeOriginal 0000:00:00 00:00:00"}, "", "<none>"},
             Case{"none.jpg", {}, "", "<none>"},
         }) {
        const std::string path = f.path() + c.name;
        ASSERT_TRUE(writePhoto(path, c.exif, 4032, 3024)) << c.name;
        const FileFacts facts = read(path, PhotoFacts);
        EXPECT_EQ(facts.taken ? std::to_string(facts.taken->key()) : "", c.taken) << c.name;
        EXPECT_EQ(utf8Of(facts.camera), c.camera) << c.name;
        EXPECT_EQ(facts.width.value_or(0), 4032) << c.name;
        EXPECT_EQ(facts.height.value_or(0), 3024) << c.name;
    }
}

// Each field at its last good value and one past it; a leap second is a real second.
TEST(PhotoFacts, aMomentTakesEachFieldUpToItsLastValue) {
    const auto key = [](const char* exif) {
        const auto m = momentFrom(exif);
        return m ? std::to_string(m->key()) : "<none>";
    };
    EXPECT_EQ(key("2016:12:31 23:59:60"), "20161231235960");
    for (const char* beyond :
         {"2016:13:31 23:59:59", "2016:12:32 23:59:59", "2016:12:31 24:59:59", "2016:12:31 23:60:59",
          "2016:12:31 23:59:61", "2016:12:31 23:59:5x", "2016:12:31 23:59:5"})
        EXPECT_EQ(key(beyond), "<none>") << beyond;
}

TEST(AudioFacts, tagsAsTheirFramesDeclareThemAndGbkInLatin1AsChinese) {
    TempFolder f;
    struct Case {
        const char* name;
        std::string bytes;
        std::string artist, title, album;
        long long track, year;
    };
    const std::string audio = mpegAudio();
    for (const Case& c : {
             Case{"gbk_v23.mp3",
                  id3v2(3,
                        {{"TPE1", 0, kGbkZhou}, {"TIT2", 0, kGbkQingTian}, {"TRCK", 0, "3/12"}, {"TYER", 0, "2003"}}) +
                      audio,
                  "周杰伦", "晴天", "<none>", 3, 2003},
             Case{"utf16.mp3", id3v2(3, {{"TPE1", 1, utf16("王菲")}, {"TALB", 1, utf16("café")}}) + audio, "王菲",
                  "<none>", "café", 0, 0},
             Case{"utf8_v24.mp3", id3v2(4, {{"TIT2", 3, "红豆"}, {"TPE1", 3, "Mötley Crüe"}}) + audio, "Mötley Crüe",
                  "红豆", "<none>", 0, 0},
             Case{"latin1.mp3", id3v2(3, {{"TPE1", 0, "Caf\xE9 Tacuba"}}) + audio, "Café Tacuba", "<none>", "<none>", 0,
                  0},
             Case{"id3v1_gbk.mp3", audio + id3v1(kGbkQingTian, kGbkZhou, "\xD2\xB6\xBB\xDD\xC3\xC0", "2003", 7),
                  "周杰伦", "晴天", "叶惠美", 7, 2003},
             Case{"id3v1_latin1.mp3", audio + id3v1("R\xE9sum\xE9", "Bj\xF6rk", ""), "Björk", "Résumé", "<none>", 0, 0},
             // An ID3v2 frame wins over ID3v1; a field it lacks comes from ID3v1.
             Case{"both.mp3", id3v2(3, {{"TPE1", 3, "陈奕迅"}}) + audio + id3v1(kGbkQingTian, kGbkZhou, ""), "陈奕迅",
                  "晴天", "<none>", 0, 0},
         }) {
        const std::string path = f.path() + c.name;
        writeFile(path, c.bytes);
        const FileFacts facts = read(path, AudioFacts);
        EXPECT_EQ(utf8Of(facts.artist), c.artist) << c.name;
        EXPECT_EQ(utf8Of(facts.title), c.title) << c.name;
        EXPECT_EQ(utf8Of(facts.album), c.album) << c.name;
        EXPECT_EQ(facts.track.value_or(0), c.track) << c.name;
        EXPECT_EQ(facts.year.value_or(0), c.year) << c.name;
    }
}

// FLAC through TagLib's own writer: Vorbis comments are UTF-8 and read as they are.
TEST(AudioFacts, flacWrittenByTagLibReadsBack) {
    TempFolder f;
    const std::string path = f.path() + "song.flac";
    writeFile(path, tinyFlac());
    FileFacts facts = read(path, AudioFacts);
    EXPECT_FALSE(facts.artist);
    ASSERT_TRUE(writeFlacTags(path, "周杰伦", "晴天", 5));
    facts = read(path, AudioFacts);
    EXPECT_EQ(utf8Of(facts.artist), "周杰伦");
    EXPECT_EQ(utf8Of(facts.title), "晴天");
    EXPECT_EQ(facts.track.value_or(0), 5);
}

// Damaged files give what could be read, or nothing, and never bring the program down.
TEST(FileFacts, damagedPhotosAndCutSongsGiveNoValueAndNoCrash) {
    TempFolder f;
    ASSERT_TRUE(writePhoto(f.path() + "whole.jpg", {"Exif.Photo.DateTimeOriginal 2024:05:01 14:02:33"}));
    std::ifstream in(f.path() + "whole.jpg", std::ios::binary);
    const std::string whole((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string song = id3v2(3, {{"TPE1", 0, kGbkZhou}, {"TIT2", 0, kGbkQingTian}}) + mpegAudio();
    std::string scribbled = whole;
    for (std::size_t i = 20; i < 60 && i < scribbled.size(); ++i) scribbled[i] = '\xFF';
    struct Case {
        const char* name;
        std::string bytes;
    };
    for (const Case& c : {Case{"cut.jpg", whole.substr(0, 30)}, Case{"scribbled.jpg", scribbled},
                          Case{"header_only.jpg", "\xFF\xD8\xFF\xE1\xFF\xFF"}, Case{"empty.jpg", ""},
                          Case{"cut.mp3", song.substr(0, 25)},
                          Case{"lying_size.mp3", "ID3\x03\0\0\x7F\x7F\x7F\x7FTPE1"}, Case{"empty.mp3", ""}}) {
        writeFile(f.path() + c.name, c.bytes);
        const FileFacts facts = read(f.path() + c.name, PhotoFacts | AudioFacts);
        EXPECT_FALSE(facts.taken) << c.name;
        EXPECT_FALSE(facts.artist && utf8Of(facts.artist) == "周杰伦") << c.name;
    }
}

// The cache answers for a file as long as its device, inode, size and modification time are the
// same, and reads it again once one of them changes.
TEST(FactCache, keptPerFileUntilTheFileChanges) {
    TempFolder f;
    const std::string path = f.path() + "a.jpg";
    ASSERT_TRUE(writePhoto(path, {"Exif.Photo.DateTimeOriginal 2024:05:01 14:02:33"}));
    FactCache cache;
    EXPECT_EQ(factsOf(path, PhotoFacts, cache).taken->key(), 20240501140233);
    struct stat before {};
    ASSERT_EQ(stat(path.c_str(), &before), 0);
    // Another date of the same length, the modification time put back: the cache still answers.
    ASSERT_TRUE(writePhoto(path, {"Exif.Photo.DateTimeOriginal 2011:11:11 11:11:11"}));
    const timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    struct stat same {};
    ASSERT_EQ(stat(path.c_str(), &same), 0);
    ASSERT_EQ(same.st_size, before.st_size);
    EXPECT_EQ(factsOf(path, PhotoFacts, cache).taken->key(), 20240501140233);
    // A modification time of its own: read again.
    const timespec later[2] = {before.st_atim, {before.st_mtim.tv_sec + 60, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), later, 0), 0);
    EXPECT_EQ(factsOf(path, PhotoFacts, cache).taken->key(), 20111111111111);
    // A group not read before for the same file is read then, the other kept.
    const FileFacts both = factsOf(path, PhotoFacts | AudioFacts, cache);
    EXPECT_EQ(both.read, PhotoFacts | AudioFacts);
    EXPECT_EQ(both.taken->key(), 20111111111111);
}

}  // namespace
}  // namespace velmora::testing
