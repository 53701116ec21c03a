#include <gtest/gtest.h>

#include "core/fs/paths.h"
#include "core/text/encoding.h"

namespace velmora {
namespace {

Text T(const char* utf8) { return Text::fromUtf8(utf8); }

TEST(Encoding, gbkCharactersKeepTheirBytesAndOthersRoundTrip) {
    EXPECT_EQ(T("第1集").bytes(), std::string("\xB5\xDA"
                                              "1"
                                              "\xBC\xAF"));
    for (const char* name : {"a.mp4", "頭髮.txt", "😀 emoji.mkv", "𠀀rare", "mixed 第一课 (Av1).mp4"}) {
        const Decoded d = utf8ToText(name);
        EXPECT_TRUE(d.exact) << name;
        ASSERT_TRUE(textToUtf8(d.text)) << name;
        EXPECT_EQ(*textToUtf8(d.text), name);
    }
}

// The converter works through a fixed buffer; a path longer than it must come through whole.
TEST(Encoding, textLongerThanTheConversionBufferComesThroughWhole) {
    std::string utf8 = "/";
    for (int i = 0; i < 700; ++i) utf8 += "第";
    utf8 += "😀.mp4";
    const Decoded d = utf8ToText(utf8);
    EXPECT_TRUE(d.exact);
    EXPECT_EQ(d.text.bytes().size(), 1u + 1400u + 4u + 4u);
    ASSERT_TRUE(textToUtf8(d.text));
    EXPECT_EQ(*textToUtf8(d.text), utf8);
    EXPECT_EQ(textToUtf8Lossy(d.text), utf8);
    const Decoded bad = utf8ToText(utf8 + "\xFF" + "x");
    EXPECT_FALSE(bad.exact);
    EXPECT_EQ(bad.text.toUtf8(), utf8 + "\xEF\xBF\xBD" + "x");
}

TEST(Encoding, invalidUtf8IsMarkedAndShownWithReplacement) {
    const Decoded d = utf8ToText(
        "bad\xFF"
        "name");
    EXPECT_FALSE(d.exact);
    EXPECT_EQ(d.text.toUtf8(),
              "bad\xEF\xBF\xBD"
              "name");
}

TEST(Encoding, aCharacterCutInHalfCannotBecomeANativeName) {
    EXPECT_FALSE(textToUtf8(leftText(T("第"), 1)));
    EXPECT_EQ(leftText(T("a第"), 2).toUtf8(), "a\xEF\xBF\xBD");
}

struct ExtensionCase {
    const char* path;
    const char* extension;
};

TEST(Paths, extensionFollowsTheLastDotOfTheFileName) {
    const ExtensionCase cases[] = {
        {"a.mp4", ".mp4"},        {"archive.tar.gz", ".gz"}, {"README", ""},
        {"/v/photos.2020/x", ""}, {"my file.tar gz", ""},    {"a. b.txt", ".txt"},
        {".hidden", ".hidden"},   {"第1集.mkv", ".mkv"},     {"name.", "."},
    };
    for (const auto& c : cases) EXPECT_EQ(extensionOf(T(c.path)), T(c.extension)) << c.path;
}

TEST(Paths, fileNameAndFolderOfAPath) {
    EXPECT_EQ(fileNameOf(T("/v/a.b.mp4")), T("a.b.mp4"));
    EXPECT_EQ(fileNameOf(T("/v/a.b.mp4"), false), T("a.b"));
    EXPECT_EQ(fileNameOf(T("/v/")), T(""));
    EXPECT_EQ(folderOfPath(T("/v/video/a.mp4")), T("/v/video/"));
    EXPECT_EQ(folderOfPath(T("/v/video/series/")), T("/v/video/"));
    EXPECT_EQ(folderOfPath(T("a.mp4")), T(""));
    EXPECT_EQ(withTrailingSeparator(T("/v")), T("/v/"));
    EXPECT_EQ(withTrailingSeparator(T("/")), T("/"));
    // A folder at the root of the file system.
    EXPECT_EQ(folderOfPath(T("/a.mp4")), T("/"));
    EXPECT_EQ(folderOfPath(T("/v/")), T("/"));
    EXPECT_EQ(fileNameOf(T("/a.mp4")), T("a.mp4"));
    EXPECT_EQ(folderOfPath(T("/")), T(""));
}

}  // namespace
}  // namespace velmora
