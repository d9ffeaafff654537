// The key reader on every platform: keys arrive as a Windows console gives them, so
// the reader knows only plain codes and two-code keys; Escape is a plain code.
#include "pole/key_reader.h"

#include <gtest/gtest.h>

#include <deque>
#include <initializer_list>
#include <vector>

namespace korv {
namespace {

using C = KeyCommand;

class QueuedKeys final : public KeySource {
public:
    void Arrive(std::initializer_list<int> codes) { codes_.insert(codes_.end(), codes); }
    bool KeyWaiting(int) override { return !codes_.empty(); }
    int ReadKey() override {
        EXPECT_FALSE(codes_.empty()) << "ReadKey without a waiting key would block";
        if (codes_.empty()) return -1;
        const int code = codes_.front();
        codes_.pop_front();
        return code;
    }
    std::size_t Left() const { return codes_.size(); }

private:
    std::deque<int> codes_;
};

class KeyReaderRuleTest : public ::testing::Test {
protected:
    std::vector<C> Drain() {
        std::vector<C> commands;
        while (keys_.Left() > 0) commands.push_back(reader_.Next());
        return commands;
    }

    QueuedKeys keys_;
    KeyReader reader_{keys_};
};

TEST_F(KeyReaderRuleTest, EscapeIsAPlainKeyAndTheKeyAfterItCounts) {
    keys_.Arrive({27, 'X'});
    EXPECT_EQ(Drain(), (std::vector<C>{C::kNone, C::kExit}));
    keys_.Arrive({27, 'b', 27, 27, 's'});
    EXPECT_EQ(Drain(), (std::vector<C>{C::kNone, C::kBacklight, C::kNone, C::kNone, C::kSetup}));
    // What a terminal sends for a key never reaches the reader so; taken as plain codes
    // only the letters among them would count.
    keys_.Arrive({27, '[', 'B'});
    EXPECT_EQ(Drain(), (std::vector<C>{C::kNone, C::kNone, C::kBacklight}));
}

// Delete, F8, Shift+F5, Ctrl+Left, Alt+1, Down: second codes S, B, X, s, x and P.
TEST_F(KeyReaderRuleTest, TwoCodeKeysAreNeverCommandsWhateverTheirSecondCode) {
    keys_.Arrive({224, 83, 0, 66, 0, 88, 224, 115, 0, 120, 224, 80, 0, 0, 'b'});
    EXPECT_EQ(Drain(), (std::vector<C>{C::kNone, C::kNone, C::kNone, C::kNone, C::kNone,
                                       C::kNone, C::kNone, C::kBacklight}));
}

TEST_F(KeyReaderRuleTest, KeysTypedAheadAreTakenOnePerCallInOrder) {
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
