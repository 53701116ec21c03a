// Names held compactly come back byte for byte, whatever they are.
#include "core/names/name_list.h"

#include <gtest/gtest.h>

namespace velmora::testing {
namespace {

struct Kind {
    const char* what;
    std::string native;
    bool exact;
};

std::string repeat(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

const std::vector<Kind> kinds = {
    {"ascii", "a.mp4", true},
    {"GBK", "第1集 高清.mkv", true},
    {"four-byte characters", "😀 𠀀 emoji.txt", true},
    {"not UTF-8 (GBK bytes)",
     "\xb5\xda"
     "1.mp4",
     false},
    {"not UTF-8 (stray bytes)",
     "a\xff\xfe"
     "b",
     false},
    {"255 bytes of Chinese", repeat("中", 85), true},
    {"255 bytes of ASCII", std::string(255, 'x'), true},
    {"254 bytes and a four-byte character", repeat("中", 83) + "x😀", true},
    {"empty", "", true},
};

// Kept where the text does not give them back (addNative), or every one as it is (addWithNative,
// with the inode), and again after the list is put in another order.
TEST(NameList, everyKindOfNameComesBackByteForByte) {
    for (const bool everyNative : {false, true}) {
        SCOPED_TRACE(everyNative ? "every native kept" : "natives kept where they differ");
        NameList names;
        for (std::size_t i = 0; i < kinds.size(); ++i) {
            if (everyNative)
                names.addWithNative(kinds[i].native, 100 + i);
            else
                names.addNative(kinds[i].native);
        }
        std::vector<std::uint32_t> backwards;
        for (std::size_t i = kinds.size(); i-- > 0;) backwards.push_back(static_cast<std::uint32_t>(i));
        const NameList reversed = names.permuted(backwards);
        ASSERT_EQ(names.size(), kinds.size());
        ASSERT_EQ(reversed.size(), kinds.size());
        for (std::size_t i = 0; i < kinds.size(); ++i) {
            SCOPED_TRACE(kinds[i].what);
            using At = std::pair<const NameList*, std::size_t>;
            for (const auto& [list, at] : {At{&names, i}, At{&reversed, kinds.size() - 1 - i}}) {
                ASSERT_TRUE(list->native(at).has_value());
                EXPECT_EQ(*list->native(at), kinds[i].native);
                EXPECT_EQ(list->exact(at), kinds[i].exact);
                EXPECT_EQ(list->text(at), utf8ToText(kinds[i].native).text);
                EXPECT_EQ(list->bytes(at), utf8ToText(kinds[i].native).text.bytes());
                EXPECT_EQ(list->inode(at), everyNative ? 100 + i : 0u);
                EXPECT_EQ((*list)[at].native, kinds[i].native);
            }
        }
        EXPECT_FALSE(reversed == names);
        EXPECT_TRUE(reversed.permuted(backwards) == names);
    }
}

TEST(NameList, onlyNamesTheTextCannotGiveBackAreKeptTwice) {
    NameList plain;
    NameList mixed;
    for (int i = 0; i < 1000; ++i) {
        plain.addNative("第" + std::to_string(i) + "集.mp4");
        mixed.addNative("第" + std::to_string(i) + "集.mp4");
    }
    mixed.addNative(
        "\xb5\xda"
        "1.mp4");
    // One byte buffer and one offset per name; the one name that is not UTF-8 adds its own bytes.
    EXPECT_LT(plain.capacityBytes(), 1000u * (utf8ToText("第999集.mp4").text.bytes().size() + 4) * 2);
    EXPECT_GT(mixed.capacityBytes(), plain.capacityBytes());
    EXPECT_EQ(*mixed.native(1000),
              "\xb5\xda"
              "1.mp4");
    EXPECT_EQ(*mixed.native(999), "第999集.mp4");
}

TEST(NameList, aPermutedListKeepsEveryNameWithItsNative) {
    NameList names;
    for (const Kind& k : kinds) names.addNative(k.native);
    std::vector<std::uint32_t> order;
    for (std::size_t i = kinds.size(); i-- > 0;) order.push_back(static_cast<std::uint32_t>(i));
    const NameList reversed = names.permuted(order);
    ASSERT_EQ(reversed.size(), kinds.size());
    for (std::size_t i = 0; i < kinds.size(); ++i) {
        const Kind& k = kinds[kinds.size() - 1 - i];
        SCOPED_TRACE(k.what);
        EXPECT_EQ(*reversed.native(i), k.native);
        EXPECT_EQ(reversed.exact(i), k.exact);
    }
}

// A run may work on some entries only: the names left out take their kept natives with them.
TEST(NameList, aPartOfAListKeepsOnlyItsOwnNatives) {
    NameList names;
    for (const Kind& k : kinds) names.addNative(k.native);
    std::vector<std::uint32_t> part;
    for (std::size_t i = 0; i < kinds.size(); ++i)
        if (kinds[i].exact) part.push_back(static_cast<std::uint32_t>(i));
    ASSERT_LT(part.size(), kinds.size());
    const NameList exact = names.permuted(part);
    ASSERT_EQ(exact.size(), part.size());
    for (std::size_t i = 0; i < part.size(); ++i) {
        SCOPED_TRACE(kinds[part[i]].what);
        EXPECT_EQ(*exact.native(i), kinds[part[i]].native);
        EXPECT_TRUE(exact.exact(i));
    }
}

TEST(NameList, namesAddedAsTextComeBackAsTheirBytes) {
    NameList names;
    const Text gbk = Text::fromBytes(
        "\xb5\xda"
        "1\xbc\xaf");  // 第1集 as GB18030
    const Text cut = Text::fromBytes("a\xb5");  // a character cut in half
    names.add(gbk);
    names.add(cut);
    EXPECT_EQ(names.text(0), gbk);
    EXPECT_EQ(*names.native(0), "第1集");
    EXPECT_EQ(names.text(1), cut);
    EXPECT_FALSE(names.native(1).has_value()) << "no native name can be made of half a character";
}

// A set over two lists, one keeping its natives and one that converts them back, holds exactly
// the names on disk: not their text bytes, not a part of one, each name once.
TEST(NameSet, holdsExactlyTheNativeNamesOfItsLists) {
    auto kept = std::make_shared<NameList>();
    auto converted = std::make_shared<NameList>();
    for (std::size_t i = 0; i < kinds.size(); ++i) kept->addWithNative(kinds[i].native, i);
    for (int i = 0; i < 1000; ++i) converted->addNative("第" + std::to_string(i) + "集.mp4");
    converted->addNative("a.mp4");  // in both lists
    const NameSet set({kept, converted});
    EXPECT_EQ(set.size(), kinds.size() + 1000);
    for (const Kind& k : kinds) EXPECT_TRUE(set.contains(k.native)) << k.what;
    for (int i = 0; i < 1000; ++i) EXPECT_TRUE(set.contains("第" + std::to_string(i) + "集.mp4")) << i;
    for (const std::string& absent : {std::string("第1000集.mp4"), std::string("第1集.mp"), std::string("a.mp4 "),
                                      std::string(utf8ToText("第1集 高清.mkv").text.bytes()), std::string(256, 'x')})
        EXPECT_FALSE(set.contains(absent)) << absent;
    EXPECT_FALSE(NameSet().contains(""));
    EXPECT_TRUE(NameSet({"", "b"}).contains(""));
    EXPECT_EQ(NameSet({"b", "b"}).size(), 1u);
}

// Positions follow their names as they change: a name taken out is found no more, and where it
// goes back in, under another position, that position is found, across many slots taken out.
TEST(PositionTable, findsEachPositionByItsCurrentName) {
    std::vector<std::string> names;
    for (int i = 0; i < 300; ++i) names.push_back("第" + std::to_string(i) + "集");
    const auto nameOf = [&](std::uint32_t p) { return std::string_view(names[p]); };
    PositionTable table(600);
    EXPECT_EQ(table.find("第1集", nameOf), PositionTable::none);
    for (std::uint32_t p = 0; p < 300; ++p) EXPECT_TRUE(table.insert(p, nameOf));
    names.push_back("第7集");
    EXPECT_FALSE(table.insert(300, nameOf)) << "a name already there keeps its position";
    EXPECT_EQ(table.find("第7集", nameOf), 7u);
    for (std::uint32_t p = 0; p < 300; p += 2) {  // every even one renamed
        table.erase(names[p], nameOf);
        names[p] += "-x";
        table.insert(p, nameOf);
    }
    for (std::uint32_t p = 0; p < 300; ++p) {
        EXPECT_EQ(table.find(names[p], nameOf), p) << names[p];
        if (p % 2 == 0) {
            EXPECT_EQ(table.find("第" + std::to_string(p) + "集", nameOf), PositionTable::none) << p;
        }
    }
    EXPECT_TRUE(PositionTable().empty());
    EXPECT_EQ(PositionTable().find("a", nameOf), PositionTable::none);
}

TEST(RenameList, sharesTheListsAndGivesPairsInOrder) {
    auto from = std::make_shared<NameList>();
    auto to = std::make_shared<NameList>();
    for (const Kind& k : kinds) from->addNative(k.native);
    to->add("x"_t);
    to->add("y"_t);
    RenameList renames(from, to);
    renames.add(3, 1);
    renames.add(1, 0);
    ASSERT_EQ(renames.size(), 2u);
    EXPECT_EQ(renames[0], std::make_pair(utf8ToText(kinds[3].native).text, "y"_t));
    EXPECT_EQ(*renames.fromNative(0), kinds[3].native);
    EXPECT_EQ(renames[1], std::make_pair("第1集 高清.mkv"_t, "x"_t));
    // Recording a rename of its own keeps the shared lists as they were.
    renames.emplace_back("c"_t, "d"_t);
    EXPECT_EQ(from->size(), kinds.size());
    std::vector<std::pair<Text, Text>> all;
    for (const auto& [a, b] : renames) all.emplace_back(a, b);
    EXPECT_EQ(all, (std::vector<std::pair<Text, Text>>{
                       {utf8ToText(kinds[3].native).text, "y"_t}, {"第1集 高清.mkv"_t, "x"_t}, {"c"_t, "d"_t}}));
    EXPECT_EQ(*renames.fromNative(0), kinds[3].native) << "the native name moves along";
}

}  // namespace
}  // namespace velmora::testing
