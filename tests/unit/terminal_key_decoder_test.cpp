#include "platform/posix/terminal_key_decoder.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace korv::platform {
namespace {

using Codes = std::vector<int>;

std::string Bytes(std::initializer_list<int> codes) {
    std::string bytes;
    for (int code : codes) bytes += static_cast<char>(code);
    return bytes;
}

// Every code the decoder gives for `bursts`, each burst's bytes arriving together
// and the gap passing after each; it must be left with nothing begun.
Codes Decode(std::initializer_list<std::string> bursts) {
    TerminalKeyDecoder decoder;
    Codes codes;
    for (const std::string& burst : bursts) {
        for (char byte : burst) decoder.Feed(static_cast<std::uint8_t>(byte));
        decoder.GapPassed();
        while (decoder.HasCode()) codes.push_back(decoder.TakeCode());
    }
    EXPECT_FALSE(decoder.Unfinished());
    return codes;
}

Codes Decode(const std::string& burst) { return Decode({burst}); }

struct SequenceCase {
    const char* sequence;
    Codes codes;
};

TEST(TerminalKeyDecoderTest, KeySequencesBecomeTheCodesAWindowsConsoleGives) {
    const SequenceCase cases[] = {
        {"\x1b[A", {224, 72}},     {"\x1b[B", {224, 80}},     {"\x1b[C", {224, 77}},
        {"\x1b[D", {224, 75}},     {"\x1b[H", {224, 71}},     {"\x1b[F", {224, 79}},
        {"\x1bOA", {224, 72}},     {"\x1bOH", {224, 71}},     {"\x1b[1~", {224, 71}},
        {"\x1b[2~", {224, 82}},    {"\x1b[3~", {224, 83}},    {"\x1b[4~", {224, 79}},
        {"\x1b[5~", {224, 73}},    {"\x1b[6~", {224, 81}},    {"\x1b[7~", {224, 71}},
        {"\x1bOP", {0, 59}},       {"\x1bOS", {0, 62}},       {"\x1b[11~", {0, 59}},
        {"\x1b[15~", {0, 63}},     {"\x1b[17~", {0, 64}},     {"\x1b[19~", {0, 66}},
        {"\x1b[21~", {0, 68}},     {"\x1b[23~", {224, 133}},  {"\x1b[24~", {224, 134}},
        {"\x1b[[A", {0, 59}},      {"\x1b[[B", {0, 60}},      {"\x1b[[E", {0, 63}},
        // With modifiers; several second codes equal a command letter's code.
        {"\x1b[1;2B", {224, 80}},  {"\x1b[1;5B", {224, 145}}, {"\x1b[1;3B", {0, 160}},
        {"\x1b[1;5D", {224, 115}}, {"\x1b[3;5~", {224, 147}}, {"\x1b[15;2~", {0, 88}},
        {"\x1b[15;5~", {0, 98}},   {"\x1b[1;5P", {0, 94}},    {"\x1b[1;9A", {0, 152}},
        {"\x1b[Z", {0, 15}},
    };
    for (const SequenceCase& sequence : cases)
        EXPECT_EQ(Decode(sequence.sequence), sequence.codes) << "sequence ESC" << sequence.sequence + 1;
}

TEST(TerminalKeyDecoderTest, UnrecognisedSequencesAreTakenWholeAsAnUnknownKey) {
    const Codes unknown = {0, 0};
    for (const char* sequence : {"\x1b[99~", "\x1b[?1~", "\x1b[200~", "\x1b[1;5X", "\x1b[1[",
                                 "\x1b[[Z", "\x1bOx", "\x1b[>0;1;2c"})
        EXPECT_EQ(Decode(std::string(sequence) + "b"), (Codes{0, 0, 'b'})) << sequence + 1;

    // A run of parameters longer than any key is still one key.
    EXPECT_EQ(Decode("\x1b[" + std::string(100, '1') + "~x"), (Codes{0, 0, 'x'}));
    EXPECT_EQ(Decode({"\x1b[1"}), unknown) << "cut short by the gap";
    EXPECT_EQ(Decode({"\x1b[[", "x"}), (Codes{0, 0, 'x'}));
}

TEST(TerminalKeyDecoderTest, EscapeWithAKeyIsAltWithThatKey) {
    EXPECT_EQ(Decode("\x1bx"), (Codes{0, 45}));
    EXPECT_EQ(Decode("\x1bX"), (Codes{0, 45}));
    EXPECT_EQ(Decode("\x1b" "b"), (Codes{0, 48}));
    EXPECT_EQ(Decode("\x1bs"), (Codes{0, 31}));
    EXPECT_EQ(Decode("\x1b" "1"), (Codes{0, 120}));
    EXPECT_EQ(Decode("\x1b="), (Codes{0, 131}));
    EXPECT_EQ(Decode("\x1b\r"), (Codes{0, 28}));
    EXPECT_EQ(Decode("\x1b\x7f"), (Codes{0, 14}));
    EXPECT_EQ(Decode("\x1b\\"), (Codes{0, 0})) << "Alt+backslash has no code";
    // ESC [ and ESC O with nothing after them are Alt+[ and Alt+Shift+O.
    EXPECT_EQ(Decode({"\x1b[", "x"}), (Codes{0, 26, 'x'}));
    EXPECT_EQ(Decode({"\x1bO", "x"}), (Codes{0, 24, 'x'}));
}

TEST(TerminalKeyDecoderTest, EscapeAloneIsThePlainCodeAndTheNextKeyIsItsOwn) {
    EXPECT_EQ(Decode({"\x1b", "x"}), (Codes{27, 'x'}));
    EXPECT_EQ(Decode({"\x1b", "B"}), (Codes{27, 'B'}));
    EXPECT_EQ(Decode("\x1b\x1b[Ab"), (Codes{27, 224, 72, 'b'}));
    EXPECT_EQ(Decode(Bytes({27, 224, 'S'})), (Codes{27, 224, 'S'}));

    TerminalKeyDecoder decoder;
    decoder.Feed(27);
    EXPECT_TRUE(decoder.Unfinished());
    EXPECT_FALSE(decoder.HasCode()) << "Escape is not known to be alone before the gap";
    decoder.GapPassed();
    ASSERT_TRUE(decoder.HasCode());
    EXPECT_EQ(decoder.TakeCode(), 27);
    EXPECT_FALSE(decoder.Unfinished());
}

TEST(TerminalKeyDecoderTest, RawLeadBytesTakeTheNextByteAsTheirSecondCode) {
    EXPECT_EQ(Decode(Bytes({224, 'S', 0, 'B', 0, 'X', 'b'})), (Codes{224, 'S', 0, 'B', 0, 'X', 'b'}));
    EXPECT_EQ(Decode(Bytes({0, 27, 'x'})), (Codes{0, 27, 'x'})) << "an Escape as second code";
    EXPECT_EQ(Decode({Bytes({224}), "b"}), (Codes{224, 'b'})) << "a lead alone, then a key";
}

TEST(TerminalKeyDecoderTest, AByteNoSequenceHoldsEndsItAndIsAKeyOfItsOwn) {
    EXPECT_EQ(Decode(Bytes({27, '[', '1', 224, 'S', 'b'})), (Codes{0, 0, 224, 'S', 'b'}));
    EXPECT_EQ(Decode(Bytes({27, '[', '2', 27, '[', 'A', 'X'})), (Codes{0, 0, 224, 72, 'X'}));
    EXPECT_EQ(Decode(Bytes({27, '[', '[', 1})), (Codes{0, 0, 1}));
    EXPECT_EQ(Decode(Bytes({27, 'O', '\n'})), (Codes{0, 0, '\n'}));
}

// Keys typed ahead stay in the input unless a key begun needs them.
TEST(TerminalKeyDecoderTest, PlainBytesAreKeysAtOnceWithoutWaitingForMore) {
    TerminalKeyDecoder decoder;
    for (char byte : std::string("sSbBxX q1\n\r\t\x7f")) {
        decoder.Feed(static_cast<std::uint8_t>(byte));
        EXPECT_FALSE(decoder.Unfinished()) << int(byte);
        ASSERT_TRUE(decoder.HasCode());
        EXPECT_EQ(decoder.TakeCode(), static_cast<unsigned char>(byte));
        EXPECT_FALSE(decoder.HasCode());
    }
    for (int byte : {'\x1b', '[', '1', ';', '5'}) {
        decoder.Feed(static_cast<std::uint8_t>(byte));
        EXPECT_TRUE(decoder.Unfinished());
        EXPECT_FALSE(decoder.HasCode());
    }
    decoder.Feed('B');
    EXPECT_FALSE(decoder.Unfinished());
}

}  // namespace
}  // namespace korv::platform
