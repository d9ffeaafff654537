#include "platform/console_key_codes.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace korv::platform {
namespace {

using Codes = std::vector<int>;

constexpr KeyModifiers kNone{};
constexpr KeyModifiers kShift{true, false, false};
constexpr KeyModifiers kCtrl{false, true, false};
constexpr KeyModifiers kAlt{false, false, true};
constexpr KeyModifiers kAltGr{false, true, true};  // right Alt, reported with left Ctrl

KeyRecord Down(int scan_code, std::string character = "", KeyModifiers modifiers = kNone,
               bool enhanced = false) {
    KeyRecord record;
    record.down = true;
    record.scan_code = scan_code;
    record.enhanced = enhanced;
    record.modifiers = modifiers;
    record.character = std::move(character);
    return record;
}

KeyRecord Up(KeyRecord record) {
    record.down = false;
    return record;
}

KeyRecord Grey(int scan_code, KeyModifiers modifiers = kNone) {
    return Down(scan_code, "", modifiers, true);
}

Codes CodesOf(const KeyRecord& record) {
    Codes codes;
    for (char code : CodesOfKeyRecord(record)) codes.push_back(static_cast<unsigned char>(code));
    return codes;
}

TEST(ConsoleKeyCodesTest, KeysWithACharacterGiveItOnTheirDownRecordOnly) {
    for (const auto& [scan_code, character, modifiers] :
         {std::tuple{31, "s", kNone}, {31, "S", kShift}, {48, "b", kNone}, {48, "B", kShift},
          {45, "x", kNone}, {45, "X", kShift}, {1, "\x1b", kNone}, {28, "\r", kNone},
          {24, "\x18", kCtrl}}) {
        const KeyRecord key = Down(scan_code, character, modifiers);
        EXPECT_EQ(CodesOfKeyRecord(key), character) << "scan code " << scan_code;
        EXPECT_EQ(CodesOfKeyRecord(Up(key)), "") << "scan code " << scan_code;
    }
    // A character the code page spells in two bytes gives both.
    EXPECT_EQ(CodesOfKeyRecord(Down(18, "\xc3\xa9")), "\xc3\xa9");
    // AltGr types characters; Alt with a key that has no Alt code keeps its character.
    EXPECT_EQ(CodesOfKeyRecord(Down(16, "@", kAltGr)), "@");
    EXPECT_EQ(CodesOfKeyRecord(Down(57, " ", kAlt)), " ");
}

TEST(ConsoleKeyCodesTest, ModifierKeysAndReleasesGiveNothing) {
    const int shift = 42, right_shift = 54, ctrl = 29, alt = 56, caps_lock = 58;
    for (const KeyRecord& key :
         {Down(shift, "", kShift), Down(right_shift, "", kShift), Down(ctrl, "", kCtrl),
          Grey(ctrl, kCtrl), Down(alt, "", kAlt), Grey(alt, kAlt), Down(caps_lock),
          Up(Grey(scan::kDelete)), Up(Down(scan::kF1 + 7)), Up(Down(45, "x", kAlt))}) {
        EXPECT_EQ(CodesOf(key), Codes{}) << "scan code " << key.scan_code;
    }
}

TEST(ConsoleKeyCodesTest, KeysWithoutACharacterGiveALeadAndTheirCode) {
    struct Case {
        KeyRecord key;
        Codes codes;
    };
    const Case cases[] = {
        {Grey(scan::kDelete), {224, 83}},           {Down(scan::kF1 + 7), {0, 66}},
        {Grey(scan::kDown), {224, 80}},             {Grey(scan::kHome), {224, 71}},
        {Down(scan::kHome), {0, 71}},               {Down(scan::kF1), {0, 59}},
        {Down(scan::kF1 + 9), {0, 68}},             {Down(scan::kF11), {224, 133}},
        {Down(scan::kF12), {224, 134}},             {Down(scan::kF1 + 4, "", kShift), {0, 88}},
        {Down(scan::kF1 + 4, "", kCtrl), {0, 98}},  {Down(scan::kF1 + 3, "", kAlt), {0, 107}},
        {Down(scan::kF12, "", kAlt), {224, 140}},   {Grey(scan::kLeft, kCtrl), {224, 115}},
        {Grey(scan::kDown, kAlt), {0, 160}},        {Grey(scan::kDown, kShift), {224, 80}},
        {Grey(scan::kPageUp, kCtrl), {224, 134}},   {Down(scan::kPageUp, "", kCtrl), {0, 132}},
        {Down(3, "", kCtrl), {0, 3}},               {Down(scan::kTab, "", kShift), {0, 15}},
        {Grey(53, kCtrl), {0, 149}},            {Grey(scan::kEnter, kAlt), {0, 166}},
    };
    for (const Case& test : cases) {
        EXPECT_EQ(CodesOf(test.key), test.codes)
            << "scan code " << test.key.scan_code << (test.key.enhanced ? " enhanced" : "");
    }
    // The keypad's 5 and the keypad with Num Lock and Shift give nothing so.
    EXPECT_EQ(CodesOf(Down(76)), Codes{});
    EXPECT_EQ(CodesOf(Down(scan::kHome, "", kShift)), Codes{});
}

TEST(ConsoleKeyCodesTest, AltWithALetterOrDigitIsATwoCodeKeyWhateverCharacterComesWithIt) {
    EXPECT_EQ(CodesOf(Down(45, "x", kAlt)), (Codes{0, 45}));
    EXPECT_EQ(CodesOf(Down(45, "X", KeyModifiers{true, false, true})), (Codes{0, 45}));
    EXPECT_EQ(CodesOf(Down(48, "b", kAlt)), (Codes{0, 48}));
    EXPECT_EQ(CodesOf(Down(31, "", kAlt)), (Codes{0, 31}));
    EXPECT_EQ(CodesOf(Down(2, "1", kAlt)), (Codes{0, 120}));
    EXPECT_EQ(CodesOf(Down(scan::kEscape, "\x1b", kAlt)), (Codes{0, 1}));
}

}  // namespace
}  // namespace korv::platform
