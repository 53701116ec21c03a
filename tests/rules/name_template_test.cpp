// Values read from the files in the numbering template: each token and format, fallbacks, values
// a file lacks, characters a name cannot hold, numbering in the order photos were taken, refusals.
// Photos get their EXIF from the exiv2 tool, songs their tags from bytes written here.
#include <fcntl.h>
#include <sys/stat.h>

#include <ctime>
#include <fstream>

#include "interaction/preview.h"
#include "interaction/reasons.h"
#include "rules/more/name_template.h"
#include "tests/rules/rule_harness.h"
#include "tests/support/media_files.h"

namespace velmora::testing {
namespace {

using namespace component;
using Shown = std::map<std::string, std::string>;  // old name -> new name, or "✗ reason"

const std::string kGbkZhou = "\xD6\xDC\xBD\xDC\xC2\xD7";  // 周杰伦
const std::string kGbkQingTian = "\xC7\xE7\xCC\xEC";  // 晴天

// Sets path's modification time to a local time.
void touchLocal(const std::string& path, int y, int mo, int d, int h, int mi, int s) {
    std::tm t{};
    t.tm_year = y - 1900, t.tm_mon = mo - 1, t.tm_mday = d, t.tm_hour = h, t.tm_min = mi, t.tm_sec = s;
    t.tm_isdst = -1;
    const timespec times[2] = {{std::mktime(&t), 0}, {std::mktime(&t), 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

void writeFile(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

class NameTemplates : public RuleTest {
protected:
    NameTemplates() {
        w.type(编辑框_起始, "1");
        w.type(编辑框_步长, "1");
    }
    void photo(const std::string& name, const std::vector<std::string>& exif, int width = 8, int height = 8) {
        ASSERT_TRUE(writePhoto(f.path() + name, exif, width, height)) << name;
    }
    // What the preview shows for template: every planned entry's new name or its reason.
    Shown preview(const char* pattern) {
        w.type(编辑框_模板, pattern);
        const FolderSnapshot snapshot(Text::fromUtf8(f.path()));
        last = previewRun(numbering(), readRequest(numbering(), w), snapshot);
        Shown shown;
        for (std::size_t i = 0; i < last.plan.steps.size(); ++i) {
            const std::string old = last.plan.listing->text(last.plan.steps.entry(i)).toUtf8();
            shown[old] = last.failures[i] == StepFailure::None
                             ? last.plan.steps[i].newName.toUtf8()
                             : "✗ " + failureReason(last.failures[i], last.plan.steps[i].newName).toUtf8();
        }
        return shown;
    }
    Preview last;
};

TEST_F(NameTemplates, eachTokenAndFormatOnAPhotoAndASong) {
    photo("IMG_0001.JPG", {"Exif.Photo.DateTimeOriginal 2024:05:01 14:02:33", "Exif.Image.Model Canon EOS R6"}, 4032,
          3024);
    touchLocal(f.path() + "IMG_0001.JPG", 2021, 3, 4, 5, 6, 7);
    // Chinese in Latin-1 frames, as old programs wrote them.
    writeFile(f.path() + "01.mp3", id3v2(3, {{"TPE1", 0, kGbkZhou},
                                             {"TIT2", 0, kGbkQingTian},
                                             {"TALB", 1, utf16("叶惠美")},
                                             {"TRCK", 0, "3/11"},
                                             {"TYER", 0, "2003"}}) +
                                       mpegAudio());
    touchLocal(f.path() + "01.mp3", 2021, 3, 4, 5, 6, 7);
    struct Case {
        const char* pattern;
        const char* photo;  // what IMG_0001.JPG becomes
        const char* song;  // what 01.mp3 becomes
    };
    for (const Case& c : {
             Case{"<拍摄日期>", "20240501.JPG", "✗ 没有拍摄日期"},
             Case{"<拍摄日期:yyyy-MM-dd> <拍摄时间:HH.mm.ss>", "2024-05-01 14.02.33.JPG", "✗ 没有拍摄日期"},
             Case{"<拍摄日期:yy年M月d日>_#", "24年5月1日_1.JPG", "✗ 没有拍摄日期"},
             Case{"<相机>_<宽>x<高>", "Canon EOS R6_4032x3024.JPG", "✗ 没有相机型号"},
             Case{"<修改日期> <修改时间>", "20210304 050607.JPG", "20210304 050607.mp3"},
             Case{"<修改时间:HH-mm-ss>_*", "05-06-07_IMG_0001.JPG", "05-06-07_01.mp3"},
             Case{"<音轨> <艺术家> - <标题>", "✗ 没有音轨号", "03 周杰伦 - 晴天.mp3"},
             Case{"<音轨:000>_<专辑>_<年份>", "✗ 没有音轨号", "003_叶惠美_2003.mp3"},
         }) {
        const Shown shown = preview(c.pattern);
        EXPECT_EQ(shown.count("IMG_0001.JPG") ? shown.at("IMG_0001.JPG") : "unchanged", c.photo) << c.pattern;
        EXPECT_EQ(shown.count("01.mp3") ? shown.at("01.mp3") : "unchanged", c.song) << c.pattern;
    }
}

// A photo without EXIF falls back to its modification date; without a fallback it fails with the
// reason in the preview and keeps its name in the run, as does a damaged one.
TEST_F(NameTemplates, fallbackAndMissingValues) {
    photo("exif.jpg", {"Exif.Photo.DateTimeOriginal 2024:05:01 14:02:33"});
    photo("plain.jpg", {});
    writeFile(f.path() + "broken.jpg", tinyJpeg().substr(0, 40));
    touchLocal(f.path() + "plain.jpg", 2021, 3, 4, 5, 6, 7);
    touchLocal(f.path() + "broken.jpg", 2022, 1, 2, 3, 4, 5);
    EXPECT_EQ(preview("<拍摄日期|修改日期>"),
              (Shown{{"broken.jpg", "20220102.jpg"}, {"exif.jpg", "20240501.jpg"}, {"plain.jpg", "20210304.jpg"}}));
    EXPECT_EQ(
        preview("<拍摄日期:yyyy-MM-dd|修改日期>"),
        (Shown{{"broken.jpg", "2022-01-02.jpg"}, {"exif.jpg", "2024-05-01.jpg"}, {"plain.jpg", "2021-03-04.jpg"}}))
        << "a fallback without a format takes the one before it";
    EXPECT_EQ(preview("<拍摄日期>"),
              (Shown{{"broken.jpg", "✗ 没有拍摄日期"}, {"exif.jpg", "20240501.jpg"}, {"plain.jpg", "✗ 没有拍摄日期"}}));
    EXPECT_EQ(previewStatus("加序号"_t, last).toUtf8(), "加序号：将更名1个，2个无法更名");
    run(numbering());
    EXPECT_EQ(f.entries(), (Names{"20240501.jpg", "broken.jpg", "plain.jpg"}));
}

// Numbered in the order taken, then in natural order of names; entries lacking the date come last.
TEST_F(NameTemplates, numberedInTheOrderTheyWereTaken) {
    photo("IMG_3.jpg", {"Exif.Photo.DateTimeOriginal 2024:05:03 09:00:00"});
    photo("IMG_10.jpg", {"Exif.Photo.DateTimeOriginal 2024:05:01 09:00:00"});
    photo("b2.jpg", {"Exif.Photo.DateTimeOriginal 2024:05:02 09:00:00"});
    photo("b10.jpg", {"Exif.Photo.DateTimeOriginal 2024:05:02 09:00:00"});
    photo("a.jpg", {"Exif.Photo.DateTimeOriginal 2024:05:02 08:59:59"});
    photo("none.jpg", {});
    EXPECT_EQ(preview("<拍摄日期>_##"), (Shown{{"IMG_10.jpg", "20240501_01.jpg"},
                                               {"a.jpg", "20240502_02.jpg"},
                                               {"b2.jpg", "20240502_03.jpg"},
                                               {"b10.jpg", "20240502_04.jpg"},
                                               {"IMG_3.jpg", "20240503_05.jpg"},
                                               {"none.jpg", "✗ 没有拍摄日期"}}));
}

TEST_F(NameTemplates, valuesAreMadeFitForANameAndTwoAlikeCollide) {
    writeFile(f.path() + "1.mp3", id3v2(3, {{"TPE1", 3, "AC/DC"}, {"TIT2", 3, " T.N.T\x01\x1F  "}}) + mpegAudio());
    writeFile(f.path() + "2.mp3", id3v2(3, {{"TPE1", 3, "AC/DC"}, {"TIT2", 3, "T.N.T"}}) + mpegAudio());
    writeFile(f.path() + "3.mp3", id3v2(3, {{"TPE1", 3, "   "}}) + mpegAudio());
    const Shown shown = preview("<艺术家> - <标题>");
    EXPECT_EQ(shown.at("1.mp3"), "AC／DC - T.N.T.mp3");
    EXPECT_EQ(shown.at("2.mp3"), "✗ " + failureReason(StepFailure::TakenByRun).toUtf8());
    EXPECT_EQ(shown.at("3.mp3"), "✗ 没有艺术家") << "a value of spaces only is no value";
    struct Case {
        const char* value;
        bool windows;
        const char* fit;
    };
    for (const Case& c :
         {Case{"a/b:c*d?e\"f<g>h|i\\j", false, "a／b:c*d?e\"f<g>h|i\\j"},
          Case{"a/b:c*d?e\"f<g>h|i\\j", true, "a／b：c＊d？e＂f＜g＞h｜i＼j"}, Case{"\t 周杰伦\x7F ", false, "周杰伦"}})
        EXPECT_EQ(fitForName(Text::fromUtf8(c.value), c.windows).toUtf8(), c.fit) << c.value;
}

TEST_F(NameTemplates, refusedBeforeListingOnlyWithoutNumberAndToken) {
    files({"a.txt"});
    struct Case {
        const char* pattern;
        const char* refusal;  // empty: none
    };
    for (const Case& c :
         {Case{"<拍照日期>_#", "模板里有不认识的<拍照日期>"}, Case{"#<艺术家:000>", "模板里有不认识的<艺术家:000>"},
          Case{"<音轨:0x>#", "模板里有不认识的<音轨:0x>"},
          Case{"<修改日期:yyyy-MM-dd Q>", "模板里有不认识的<修改日期:yyyy-MM-dd Q>"},
          Case{"<修改日期|作者>", "模板里有不认识的<修改日期|作者>"}, Case{"第几集", "模板里要有#，#的位置放序号"},
          Case{"<修改日期>", ""}, Case{"<拍摄日期|修改日期> <拍摄时间|修改时间>", ""}, Case{"a<b#", ""}}) {
        w.type(编辑框_模板, c.pattern);
        const RunRequest request = readRequest(numbering(), w);
        EXPECT_EQ(request.refusal ? request.refusal->text.toUtf8() : "", c.refusal) << c.pattern;
    }
}

// The preview and the click give one plan: the click reuses the values the preview read.
TEST_F(NameTemplates, theClickRenamesAsThePreviewShowed) {
    for (int i = 1; i <= 5; ++i)
        photo("p" + std::to_string(i) + ".jpg",
              {"Exif.Photo.DateTimeOriginal 2024:05:0" + std::to_string(6 - i) + " 10:00:00"});
    const Shown shown = preview("<拍摄日期:MMdd>_#");
    ASSERT_EQ(shown.size(), 5u);
    run(numbering());
    Names expected;
    for (const auto& [old, now] : shown) expected.insert(now);
    EXPECT_EQ(f.entries(), expected);
    EXPECT_EQ(shown.at("p5.jpg"), "0501_1.jpg");
}

}  // namespace
}  // namespace velmora::testing
