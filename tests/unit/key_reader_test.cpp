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

TEST_F(KeyReaderTest, ALeadCodeWithoutItsSecondCodeTakesNothingMore) {
    keys_.Arrive({224});
    EXPECT_EQ(reader_.Next(), C::kNone);
    keys_.Arrive("b");
    EXPECT_EQ(reader_.Next(), C::kBacklight);
}

// Keys arrive as a Windows console gives them: Escape is a plain code, and what a
// terminal sends for a key was made a two-code key before it reaches the reader.
TEST_F(KeyReaderTest, EscapeIsAPlainKeyAndTheKeyAfterItCounts) {
    keys_.Arrive({27, 'X'});
    EXPECT_EQ(Drain(), (std::vector<C>{C::kNone, C::kExit}));
    keys_.Arrive({27, 'b', 27, 27, 's'});
    EXPECT_EQ(Drain(), (std::vector<C>{C::kNone, C::kBacklight, C::kNone, C::kNone, C::kSetup}));
    keys_.Arrive({27, '[', 'B'});
    EXPECT_EQ(Drain(), (std::vector<C>{C::kNone, C::kNone, C::kBacklight}));
}

// Delete, F8, Shift+F5, Ctrl+Left, Alt+1, Down: second codes S, B, X, s, x and P.
TEST_F(KeyReaderTest, TwoCodeKeysAreNeverCommandsWhateverTheirSecondCode) {
    keys_.Arrive({224, 83, 0, 66, 0, 88, 224, 115, 0, 120, 224, 80, 0, 0, 'b'});
    EXPECT_EQ(Drain(), (std::vector<C>{C::kNone, C::kNone, C::kNone, C::kNone, C::kNone,
                                       C::kNone, C::kNone, C::kBacklight}));
}

TEST_F(KeyReaderTest, KeysTypedAheadAreTakenOnePerCallInOrder) {
    keys_.Arrive({'b', 0, 59, 'S', 224, 72, 'x'});
    EXPECT_EQ(reader_.Next(), C::kBacklight);
    EXPECT_EQ(keys_.Left(), 6u);
    EXPECT_EQ(reader_.Next(), C::kNone);
    EXPECT_EQ(keys_.Left(), 4u) << "both codes of F1 in one call";
    EXPECT_EQ(reader_.Next(), C::kSetup);
    EXPECT_EQ(reader_.Next(), C::kNone);
    EXPECT_EQ(reader_.Next(), C::kExit);
    EXPECT_EQ(reader_.Next(), C::kNone) << "nothing waiting";
}

}  // namespace
}  // namespace korv
