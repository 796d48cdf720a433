// Tests of the layout tables the program carries: every one reads, places every letter and punctuation code
// once (on a key or as absent), never puts two character codes on one key nor a character on a common key
// whose code it leaves there, serves its XKB layouts alone; and the places the layouts' documentation gives
// for the keys people ask about (Japanese, German, French, British, Hungarian, Czech, Turkish...).
#include "keyboard_layout_texts.h"
#include "keyboard_layouts.h"
#include "virtual_key_names.h"

#include <gtest/gtest.h>

#include <map>

namespace {

// The codes whose character depends on the layout: letters and the OEM punctuation codes.
std::vector<uint8_t> CharacterCodes() {
    std::vector<uint8_t> codes;
    for (uint8_t c = 'A'; c <= 'Z'; ++c) codes.push_back(c);
    for (uint8_t c : {0xBA, 0xBB, 0xBC, 0xBD, 0xBE, 0xBF, 0xC0, 0xDB, 0xDC, 0xDD, 0xDE, 0xDF, 0xE2})
        codes.push_back(c);
    return codes;
}

const KeyboardLayoutTable& Table(const std::string& name) {
    for (const KeyboardLayoutTable& table : LayoutTables())
        if (table.name == name) return table;
    ADD_FAILURE() << "no table " << name;
    static const KeyboardLayoutTable none;
    return none;
}

std::string Key(const KeyPlacement& placement, const char* name) {
    return ScanCodeText(placement.ScanCodeOf(static_cast<uint8_t>(VirtualKeyOfName(name))));
}

} // namespace

TEST(BuiltInLayouts, EveryTableReads) {
    size_t count = 0;
    for (const EmbeddedLayoutText& text : EmbeddedLayoutTexts()) {
        KeyboardLayoutTable table;
        std::string error;
        EXPECT_TRUE(ParseKeyboardLayoutTable(text.name, text.text, table, error)) << error;
        ++count;
    }
    EXPECT_EQ(LayoutTables().size() + 1, count);
    EXPECT_GE(LayoutTables().size(), 12u);
    for (const char* required : {"us", "jp", "de", "fr", "gb"}) EXPECT_FALSE(Table(required).keys.empty());
}

TEST(BuiltInLayouts, CommonKeysHaveNoCharacterAndEveryKeyReportsOneOfItsCodes) {
    const KeyboardLayoutTable& common = CommonKeyTable();
    EXPECT_TRUE(common.layouts.empty());
    const std::vector<uint8_t> characters = CharacterCodes();
    std::map<ScanCode, int> used;
    for (const LayoutKeyLine& key : common.keys) {
        EXPECT_NE(key.scanCode, 0u) << "line " << key.line;
        EXPECT_EQ(std::count(characters.begin(), characters.end(), key.virtualKey), 0) << "line " << key.line;
        ++used[key.scanCode];
    }
    // Keys shared by a code pair: the side-specific and the generic modifier.
    for (const auto& [scanCode, count] : used) EXPECT_LE(count, 2) << ScanCodeText(scanCode);
    EXPECT_EQ(used.size(), common.keys.size() - 3);
}

TEST(BuiltInLayouts, EveryLayoutPlacesEachCharacterCodeOnceOnAKeyOfItsOwn) {
    std::map<ScanCode, uint8_t> commonKeys;
    for (const LayoutKeyLine& key : CommonKeyTable().keys) commonKeys.emplace(key.scanCode, key.virtualKey);
    for (const KeyboardLayoutTable& table : LayoutTables()) {
        SCOPED_TRACE(table.name);
        EXPECT_FALSE(table.layouts.empty());
        std::map<int, int> listed;
        for (const LayoutKeyLine& key : table.keys) ++listed[key.virtualKey];
        std::map<ScanCode, std::string> characterOn;
        for (const LayoutKeyLine& key : table.keys) {
            // A layout may take a common key only when it moves that key's code itself (Hungarian's 0).
            if (const auto common = commonKeys.find(key.scanCode); common != commonKeys.end()) {
                EXPECT_EQ(listed[common->second], 1) << VirtualKeyName(key.virtualKey) << " on a common key";
            }
            const std::vector<uint8_t> characters = CharacterCodes();
            if (key.scanCode == 0 || std::count(characters.begin(), characters.end(), key.virtualKey) == 0)
                continue;
            const std::string name = VirtualKeyName(key.virtualKey);
            const auto [at, fresh] = characterOn.emplace(key.scanCode, name);
            EXPECT_TRUE(fresh) << name << " and " << at->second << " on " << ScanCodeText(key.scanCode);
        }
        for (uint8_t code : CharacterCodes()) EXPECT_EQ(listed[code], 1) << VirtualKeyName(code);
        // The 48 character keys of a 105-key (or 106-key Japanese) keyboard, less the ten digits.
        EXPECT_EQ(characterOn.size(), 38u);
    }
}

TEST(BuiltInLayouts, EachXkbLayoutHasOneTable) {
    std::map<std::string, std::string> servedBy;
    for (const KeyboardLayoutTable& table : LayoutTables()) {
        for (const std::string& layout : table.layouts) {
            const auto [at, fresh] = servedBy.emplace(layout, table.name);
            EXPECT_TRUE(fresh) << layout << " in " << table.name << " and " << at->second;
        }
    }
    for (const char* layout :
         {"us", "jp", "de",    "fr", "gb", "es", "it", "ch", "se", "fi", "no", "dk", "pt", "be", "br",
          "kr", "ru", "latam", "tr", "hu", "cz", "sk", "pl", "ro", "hr", "si", "gr", "il", "th", "ara"})
        EXPECT_EQ(servedBy.count(layout), 1u) << layout;
}

TEST(BuiltInLayouts, ChoiceByLayoutAndVariant) {
    ASSERT_NE(FindLayoutTable("de", ""), nullptr);
    EXPECT_EQ(FindLayoutTable("de", "")->name, "de");
    EXPECT_EQ(FindLayoutTable("de", "nodeadkeys")->name, "de");
    EXPECT_EQ(FindLayoutTable("no", "")->name, "nordic");
    EXPECT_EQ(FindLayoutTable("ru", "")->name, "us");
    EXPECT_EQ(FindLayoutTable("jp", "OADG109A")->name, "jp");
    // Variants that move the letters (Dvorak, Neo, BÉPO) and unknown layouts have no table.
    EXPECT_EQ(FindLayoutTable("us", "dvorak"), nullptr);
    EXPECT_EQ(FindLayoutTable("de", "neo"), nullptr);
    EXPECT_EQ(FindLayoutTable("fr", "bepo"), nullptr);
    EXPECT_EQ(FindLayoutTable("lt", ""), nullptr);
    EXPECT_EQ(FindLayoutTable("", ""), nullptr);
    // Variants that keep Windows' places share their layout's table; those that move keys have none.
    EXPECT_EQ(FindLayoutTable("hu", "102_qwertz_dot_nodead")->name, "hu");
    EXPECT_EQ(FindLayoutTable("ro", "std")->name, "ro");
    EXPECT_EQ(FindLayoutTable("si", "")->name, "hr");
    EXPECT_EQ(FindLayoutTable("latam", "nodeadkeys")->name, "latam");
    EXPECT_EQ(FindLayoutTable("cz", "qwerty"), nullptr);
    EXPECT_EQ(FindLayoutTable("hu", "qwerty"), nullptr);
    EXPECT_EQ(FindLayoutTable("tr", "f"), nullptr);
    EXPECT_EQ(FindLayoutTable("ro", "winkeys"), nullptr);
    EXPECT_EQ(FindLayoutTable("il", "phonetic"), nullptr);
    EXPECT_EQ(FindLayoutTable("pl", "dvorak"), nullptr);
}

TEST(BuiltInLayouts, JapaneseKeys) {
    const KeyPlacement jp = PlacementOfTable(&Table("jp"));
    EXPECT_EQ(Key(jp, "VK_OEM_1"), "28");    // : *
    EXPECT_EQ(Key(jp, "VK_OEM_PLUS"), "27"); // ; +
    EXPECT_EQ(Key(jp, "VK_OEM_3"), "1A");    // @
    EXPECT_EQ(Key(jp, "VK_OEM_7"), "0D");    // ^
    EXPECT_EQ(Key(jp, "VK_OEM_5"), "7D");    // ¥
    EXPECT_EQ(Key(jp, "VK_OEM_102"), "73");  // ろ
    EXPECT_EQ(Key(jp, "VK_CONVERT"), "79");
    EXPECT_EQ(Key(jp, "VK_NONCONVERT"), "7B");
    EXPECT_EQ(Key(jp, "VK_KANA"), "70");
    EXPECT_EQ(Key(jp, "VK_KANJI"), "29");
    EXPECT_EQ(Key(jp, "VK_DBE_ALPHANUMERIC"), "3A");
    EXPECT_TRUE(jp.HasNoKey(0xDF));
    // Caps Lock has no key of its own on this keyboard: left to its symbol, not "no key".
    EXPECT_FALSE(jp.IsPlaced(0x14));
    // 半角/全角 reports 244 as the quick-input dialog names it; かな its hiragana code.
    EXPECT_EQ(jp.VirtualKeyAt(0x29), 0xF4);
    EXPECT_EQ(jp.VirtualKeyAt(0x70), 0xF2);
}

TEST(BuiltInLayouts, EuropeanKeys) {
    const KeyPlacement de = PlacementOfTable(&Table("de"));
    EXPECT_EQ(Key(de, "VK_OEM_1"), "1A"); // ü
    EXPECT_EQ(Key(de, "VK_OEM_3"), "27"); // ö
    EXPECT_EQ(Key(de, "VK_OEM_7"), "28"); // ä
    EXPECT_EQ(Key(de, "VK_Z"), "15");
    EXPECT_EQ(Key(de, "VK_Y"), "2C");
    EXPECT_EQ(Key(de, "VK_OEM_102"), "56");
    const KeyPlacement fr = PlacementOfTable(&Table("fr"));
    EXPECT_EQ(Key(fr, "VK_A"), "10");
    EXPECT_EQ(Key(fr, "VK_M"), "27");
    EXPECT_EQ(Key(fr, "VK_1"), "02");
    EXPECT_EQ(Key(fr, "VK_OEM_COMMA"), "32");
    EXPECT_EQ(Key(fr, "VK_OEM_8"), "35");
    EXPECT_TRUE(fr.HasNoKey(0xBD));
    const KeyPlacement gb = PlacementOfTable(&Table("gb"));
    EXPECT_EQ(Key(gb, "VK_OEM_8"), "29");
    EXPECT_EQ(Key(gb, "VK_OEM_3"), "28");
    EXPECT_EQ(Key(gb, "VK_OEM_7"), "2B");
    EXPECT_EQ(Key(gb, "VK_OEM_5"), "56");
    EXPECT_TRUE(gb.HasNoKey(0xE2));
    // Common keys come with every layout; a modifier key reports its side's code.
    EXPECT_EQ(Key(gb, "VK_RMENU"), "E038");
    EXPECT_EQ(gb.VirtualKeyAt(0xE038), 0xA5);
    EXPECT_EQ(gb.VirtualKeyAt(0x2A), 0xA0);
}

TEST(BuiltInLayouts, CentralEuropeanAndTurkishKeys) {
    const KeyPlacement hu = PlacementOfTable(&Table("hu"));
    // The key left of 1 types 0 and is VK_0; the key after 9 types ö and is VK_OEM_3.
    EXPECT_EQ(Key(hu, "VK_0"), "29");
    EXPECT_EQ(Key(hu, "VK_OEM_3"), "0B");
    EXPECT_EQ(hu.VirtualKeyAt(0x0B), 0xC0);
    EXPECT_EQ(hu.VirtualKeyAt(0x29), '0');
    EXPECT_EQ(Key(hu, "VK_1"), "02");
    EXPECT_EQ(Key(hu, "VK_OEM_102"), "56"); // í
    EXPECT_EQ(Key(hu, "VK_Z"), "15");
    const KeyPlacement cz = PlacementOfTable(&Table("cz"));
    EXPECT_EQ(Key(cz, "VK_Z"), "15");
    EXPECT_EQ(Key(cz, "VK_Y"), "2C");
    EXPECT_EQ(Key(cz, "VK_OEM_PLUS"), "0C"); // = %
    EXPECT_EQ(Key(cz, "VK_OEM_2"), "0D");    // ´ ˇ
    EXPECT_EQ(Key(cz, "VK_OEM_MINUS"), "35");
    const KeyPlacement tr = PlacementOfTable(&Table("tr"));
    EXPECT_EQ(Key(tr, "VK_OEM_1"), "27");      // ş
    EXPECT_EQ(Key(tr, "VK_OEM_7"), "28");      // i İ
    EXPECT_EQ(Key(tr, "VK_I"), "17");          // ı I
    EXPECT_EQ(Key(tr, "VK_OEM_COMMA"), "2B");  // , ;
    EXPECT_EQ(Key(tr, "VK_OEM_PERIOD"), "35"); // . :
    EXPECT_EQ(Key(tr, "VK_OEM_8"), "0C");      // * ?
    EXPECT_TRUE(tr.HasNoKey(0xBB));
    const KeyPlacement latam = PlacementOfTable(&Table("latam"));
    EXPECT_EQ(Key(latam, "VK_OEM_3"), "27"); // ñ
    EXPECT_EQ(Key(latam, "VK_OEM_5"), "29"); // | °
}

TEST(BuiltInLayouts, NonLatinLettersOnTheUsPlaces) {
    for (const char* name : {"gr", "il", "th", "ara"}) {
        SCOPED_TRACE(name);
        const KeyPlacement layout = PlacementOfTable(&Table(name));
        EXPECT_EQ(Key(layout, "VK_Q"), "10");
        EXPECT_EQ(Key(layout, "VK_A"), "1E");
        EXPECT_EQ(Key(layout, "VK_Z"), "2C");
        EXPECT_EQ(Key(layout, "VK_M"), "32");
        EXPECT_EQ(Key(layout, "VK_OEM_1"), "27");
        EXPECT_EQ(Key(layout, "VK_OEM_2"), "35");
    }
}
