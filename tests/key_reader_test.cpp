#include "pole/key_reader.h"

#include <gtest/gtest.h>

#include <deque>
#include <initializer_list>
#include <vector>

namespace korv {
namespace {

// Codes that have arrived so far; the test adds more between calls, as keys typed
// later.
class ScriptedKeys final : public KeySource {
public:
    void Arrive(std::initializer_list<int> codes) { pending_.insert(pending_.end(), codes); }
    void Arrive(const char* text) {
        for (; *text != '\0'; ++text) pending_.push_back(static_cast<unsigned char>(*text));
    }
    bool KeyWaiting(int) override { return !pending_.empty(); }
    int ReadKey() override {
        EXPECT_FALSE(pending_.empty()) << "ReadKey without a waiting key would block";
        if (pending_.empty()) return -1;
        const int code = pending_.front();
        pending_.pop_front();
        return code;
    }
    std::size_t Left() const { return pending_.size(); }

private:
    std::deque<int> pending_;
};

class KeyReaderTest : public ::testing::Test {
protected:
    // Every command the reader hands out until no key is left, one per call.
    std::vector<KeyCommand> Drain() {
        std::vector<KeyCommand> commands;
        while (keys_.Left() > 0) commands.push_back(reader_.Next());
        return commands;
    }

    ScriptedKeys keys_;
    KeyReader reader_{keys_};
};

using C = KeyCommand;

TEST_F(KeyReaderTest, CommandLettersInEitherCaseAndNothingElse) {
    keys_.Arrive("sSbBxX");
    EXPECT_EQ(Drain(), (std::vector<C>{C::kSetup, C::kSetup, C::kBacklight, C::kBacklight,
                                       C::kExit, C::kExit}));
    keys_.Arrive("q1\n\r t");
    keys_.Arrive({127, 3, 255});
    EXPECT_EQ(Drain(), std::vector<C>(9, C::kNone));
    EXPECT_EQ(reader_.Next(), C::kNone) << "no key waiting";
}

TEST_F(KeyReaderTest, TwoCodeKeysAreTakenWholeAndActAsNoCommand) {
    keys_.Arrive({224, 'S', 0, 'B', 0, 'X', 224, 's', 'b'});
    EXPECT_EQ(Drain(), (std::vector<C>{C::kNone, C::kNone, C::kNone, C::kNone, C::kBacklight}));
}

TEST_F(KeyReaderTest, EscapeSequencesAreTakenWholeAndActAsNoCommand) {
    keys_.Arrive("\x1b[B");      // cursor down
    keys_.Arrive("\x1bOS");      // F4
    keys_.Arrive("\x1b[[B");     // F2 on the Linux console
    keys_.Arrive("\x1b[1;5B");   // Ctrl+cursor down
    keys_.Arrive("\x1b[3~");     // Delete
    keys_.Arrive("\x1b[15;2~");  // Shift+F5
    keys_.Arrive("x");
    EXPECT_EQ(Drain(), (std::vector<C>{C::kNone, C::kNone, C::kNone, C::kNone, C::kNone,
                                       C::kNone, C::kExit}));
}

TEST_F(KeyReaderTest, ALoneEscapeLeavesTheNextKeyAlone) {
    keys_.Arrive({27});
    EXPECT_EQ(reader_.Next(), C::kNone);
    keys_.Arrive("s");
    EXPECT_EQ(reader_.Next(), C::kSetup);

    // Escape twice: the second starts a key of its own.
    keys_.Arrive("\x1b\x1b[Ab");
    EXPECT_EQ(Drain(), (std::vector<C>{C::kNone, C::kNone, C::kBacklight}));
}

TEST_F(KeyReaderTest, AnAltModifiedLetterIsNoCommand) {
    keys_.Arrive("\x1bx" "\x1b" "b" "B");
    EXPECT_EQ(Drain(), (std::vector<C>{C::kNone, C::kNone, C::kBacklight}));
}

TEST_F(KeyReaderTest, ACodeThatCannotContinueASequenceIsKeptForTheNextCall) {
    // A control byte inside a control sequence ends it and is its own key.
    keys_.Arrive({27, '[', '1', 224, 'S', 'b'});
    EXPECT_EQ(Drain(), (std::vector<C>{C::kNone, C::kNone, C::kBacklight}));
    keys_.Arrive({27, '[', '2', 27, '[', 'A', 'X'});
    EXPECT_EQ(Drain(), (std::vector<C>{C::kNone, C::kNone, C::kExit}));
}

TEST_F(KeyReaderTest, ALeadCodeWithoutItsSecondCodeTakesNothingMore) {
    keys_.Arrive({224});
    EXPECT_EQ(reader_.Next(), C::kNone);
    keys_.Arrive("b");
    EXPECT_EQ(reader_.Next(), C::kBacklight);
}

}  // namespace
}  // namespace korv
