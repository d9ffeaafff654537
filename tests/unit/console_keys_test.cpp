#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "platform/posix/escape_skipper.h"
#include "platform/win32/key_event_filter.h"
#include "pole/key_commands.h"
#include "tests/support/console_text.h"

namespace korv::platform {
namespace {
// The keys a terminal's bytes give, each burst arriving at once and then a pause.
std::string Keys(std::initializer_list<std::string> bursts) {
    EscapeSkipper skipper;
    std::string keys;
    for (const std::string& burst : bursts) {
        for (char byte : burst)
            if (const int key = skipper.Feed(static_cast<std::uint8_t>(byte)); key != kNoKey)
                keys += static_cast<char>(key);
        if (skipper.AfterEscape()) keys += static_cast<char>(skipper.GapPassed());
    }
    return keys;
}

// Cursor, Delete, F4, Shift+F5, Ctrl+Left, a Linux console's F2, bracketed paste, a
// device report, Alt+x, Alt+S, rxvt's Alt+Down; the b behind each still counts.
TEST(EscapeSkipperTest, SequencesGiveNoKeyWhileEscAloneIsAKeyAndTheKeyAfterItCounts) {
    for (const char* sequence : {"\x1b[A", "\x1b[3~", "\x1bOS", "\x1b[15;2~", "\x1b[1;5D", "\x1b[[B",
                                 "\x1b[200~", "\x1b[?1;2c", "\x1bx", "\x1bS", "\x1b\x1b[B"})
        EXPECT_EQ(Keys({std::string(sequence) + "b"}), "b") << "ESC" << sequence + 1;
    // Cut between reads, a sequence goes on; a control byte ends it and counts.
    EXPECT_EQ(Keys({"\x1b[1;5", "B", "x"}), "x");
    EXPECT_EQ(Keys({"\x1b[1\rS"}), "\rS");
    EXPECT_EQ(Keys({"sSbBxX q1\n\x7f"}), "sSbBxX q1\n\x7f");
    EXPECT_EQ(Keys({"\x1b", "X"}), "\x1bX");
    EXPECT_EQ(Keys({"\x1b", "\x1b", "[B"}), "\x1b\x1b[B");
}

// Control-key state: 0x01 right Alt, 0x02 left Alt, 0x08 left Ctrl, 0x10 Shift, 0x20
// Num Lock, 0x100 enhanced.
TEST(KeyEventFilterTest, OnlyKeyDownsWithACharacterAndAltKeypadCharactersAreKeys) {
    // b, Shift+X, Esc, Ctrl+X, AltGr+Q, and Alt released after keypad 9 8.
    for (const KeyEvent& key : {KeyEvent{true, 0x42, 'b', 0}, {true, 0x58, 'X', 0x10}, {true, 0x1B, 0x1B, 0},
                                {true, 0x58, 0x18, 0x08}, {true, 0x51, '@', 0x01 | 0x08}, {false, 0x12, 'b', 0}})
        EXPECT_EQ(CharacterOf(key), key.character) << key.virtual_key << " state " << key.control_state;
    // Up, Delete, F8, Shift+F5, Shift, Alt, Alt+x, right Alt+s, Alt with keypad 2.
    for (const KeyEvent& none :
         {KeyEvent{false, 0x42, 'b', 0}, {true, 0x2E, 0, 0x100}, {true, 0x77, 0, 0}, {true, 0x74, 0, 0x10},
          {true, 0x10, 0, 0x10}, {true, 0x12, 0, 0x02}, {true, 0x58, 'x', 0x02}, {true, 0x53, 's', 0x01},
          {true, 0x62, 0, 0x02 | 0x20}})
        EXPECT_EQ(CharacterOf(none), kNoKey) << none.virtual_key << " state " << none.control_state;
}

// A wide character whose low byte is S, B or X is none.
TEST(KeyCommandTest, SBAndXInEitherCaseAreTheCommandsAndNothingElseIs) {
    for (const auto& [key, command] : {std::pair{'S', KeyCommand::kSetup}, {'s', KeyCommand::kSetup},
                                       {'B', KeyCommand::kBacklight}, {'b', KeyCommand::kBacklight},
                                       {'X', KeyCommand::kExit}, {'x', KeyCommand::kExit}})
        EXPECT_EQ(CommandOf(key), command) << key;
    for (const int none : std::initializer_list<int>{'q', '5', '\x1b', '\r', 0x153, 0x162, kNoKey})
        EXPECT_EQ(CommandOf(none), KeyCommand::kNone) << none;
}

// The tests' own reading of a console's output, as Wine's console draws it.
TEST(PlainText, DropsControlSequencesAndReadsCursorStepsAsBlanks) {
    EXPECT_EQ(test::PlainText("\x1b]0;C:\\cmd.exe\x07\x1b[?25lPress\x1b[K\x1b[1CS\x1b[?25h\r\n"), "Press S\n");
    EXPECT_EQ(test::PlainText("a\x1b[3Cb"), "a   b");
    EXPECT_EQ(test::PlainText("end\x1b["), "end");  // cut short
}
}  // namespace
}  // namespace korv::platform
