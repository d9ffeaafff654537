// The whole program against a display on a pseudo-terminal: the Linux build directly,
// korvpole.exe through Wine with the terminal as its COM5. Same cases, same checks.
#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "sim/hd44780_model.h"
#include "tests/support/pole_record_writer.h"
#include "tests/support/pty_port.h"
#include "tests/wine/program_run.h"
#include "tests/wine/wine_prefix.h"

namespace korv::test {
namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;
using std::chrono::seconds;

// What the program is, where it runs, and its display: one for the whole program,
// since under Wine the COM terminal must outlive the wineserver.
struct Rig {
    Target target;
    std::string root;
    std::string work;
    std::unique_ptr<WinePrefix> wine;
    std::unique_ptr<DisplayTap> com5;
    std::string com5_link;

    void Stop() {
        if (wine) wine->Stop();
        com5.reset();
        wine.reset();
    }
};
Rig* g_rig = nullptr;

// Open (initialisation and clear), the configured backlight, clear.
constexpr const char* kBringUp =
    "FE 30 FE 30 FE 30 FE 38 FE 06 FE 10 FE 0C FE 01 FE 01 FE 02 FE 01";
constexpr const char* kBringUpBacklightOn =
    "FE 30 FE 30 FE 30 FE 38 FE 06 FE 10 FE 0C FE 01 FE 01 FE 03 FE 01";
constexpr const char* kMenu =
    "Press S to run setup or \nPress B to toggle the LCD backlight or \nPress X to exit program.\n";
const std::string kBlankRow(20, ' ');

std::string Padded(const std::string& text) { return text + std::string(20 - text.size(), ' '); }

bool IsSubsequence(const std::string& part, const std::string& whole) {
    std::size_t at = 0;
    for (char c : part) {
        at = whole.find(c, at);
        if (at == std::string::npos) return false;
        ++at;
    }
    return true;
}

// The display's end of the line says XOFF, as a device whose buffer is full does: the
// terminal then takes no byte from the program until XON.
class StoppedLine {
public:
    StoppedLine() {
        SetSoftwareFlowControl(true);
        Say('\x13');
    }
    ~StoppedLine() { Restart(); }
    void Restart() {
        if (restarted_) return;
        restarted_ = true;
        Say('\x11');
        SetSoftwareFlowControl(false);
    }

private:
    static void SetSoftwareFlowControl(bool on) {
        const int fd = open(g_rig->com5->Port().SlavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (fd < 0) return;
        termios line;
        if (tcgetattr(fd, &line) == 0) {
            if (on) line.c_iflag |= IXON;
            else line.c_iflag &= ~static_cast<tcflag_t>(IXON);
            tcsetattr(fd, TCSANOW, &line);
        }
        close(fd);
    }
    static void Say(char code) {
        if (write(g_rig->com5->Port().MasterFd(), &code, 1) != 1) std::perror("write");
    }
    bool restarted_ = false;
};

class ProgramCase : public ::testing::Test {
protected:
    void SetUp() override {
        fs::remove_all(WorkPath("KORVPOLE.CFG"));
        fs::remove_all(WorkPath("POLE.DAT"));
        // Whatever the case before left on the line is not this case's.
        Com5().PumpUntilQuiet(milliseconds(200), seconds(20));
        Com5().Model() = sim::Hd44780Model();
        mark_ = Com5().Received().size();
    }

    static DisplayTap& Com5() { return *g_rig->com5; }
    static std::string WorkPath(const std::string& name) { return g_rig->work + "/" + name; }

    static void WriteFile(const std::string& name, const std::string& bytes) {
        std::ofstream(WorkPath(name), std::ios::binary) << bytes;
    }
    // In place, as the point-of-sale writer does, so the program's handle sees it.
    static void WriteRecord(const PoleRecord& record) {
        PoleRecordWriter(WorkPath("POLE.DAT")).Write(record);
    }
    static std::string ReadFile(const std::string& name) {
        std::ifstream in(WorkPath(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    void Start() { run_ = std::make_unique<ProgramRun>(g_rig->target, g_rig->work); }

    ::testing::AssertionResult Shows(const std::string& text,
                                     milliseconds limit = ProgramRun::kWait) {
        if (run_->WaitForOutput(text, limit)) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "never printed [" << text << "]; console:\n"
                                             << run_->Output();
    }

    ::testing::AssertionResult RowBecomes(int row, const std::string& text) {
        if (Com5().PumpUntil([&](const sim::Hd44780Model& m) { return m.Row(row) == text; },
                             seconds(20)))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "row " << row << " never showed [" << text
                                             << "] but [" << Com5().Model().Row(row) << "]";
    }

    ::testing::AssertionResult BacklightBecomes(bool on) {
        if (Com5().PumpUntil([&](const sim::Hd44780Model& m) { return m.BacklightOn() == on; },
                             seconds(20)))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "backlight never went " << (on ? "on" : "off");
    }

    // Bytes this case's program sent to COM5, as hexadecimal pairs.
    std::string PortHex() {
        Com5().PumpUntilQuiet(milliseconds(400));
        return Hex(Com5().Received().substr(mark_));
    }

    // X ends the run: status 0, and the display is cleared and darkened last.
    void ExitWithX(const std::string& key = "x") {
        run_->Type(key);
        const std::optional<int> status = run_->WaitForEnd();
        ASSERT_TRUE(status.has_value()) << "still running after " << key << "; console:\n"
                                        << run_->Output();
        EXPECT_EQ(*status, 0);
        const std::string sent = PortHex();
        ASSERT_GE(sent.size(), 11u) << sent;
        EXPECT_EQ(sent.substr(sent.size() - 11), "FE 01 FE 02") << sent;
        for (int row = 1; row <= 4; ++row) EXPECT_EQ(Com5().Model().Row(row), kBlankRow);
        EXPECT_FALSE(Com5().Model().BacklightOn());
    }

    std::unique_ptr<ProgramRun> run_;
    std::size_t mark_ = 0;
};

TEST_F(ProgramCase, FirstStartAsksForSettingsSavesThemAndBringsTheDisplayUp) {
    Start();
    ASSERT_TRUE(Shows("No korvpole.cfg was detected, you MUST run setup.\nSetup will start now.\n"
                      "Entering config mode\n\n"
                      "Please enter the number of the COM Port (i.e. for COM5 enter 5): "));
    run_->Type("5\r");
    ASSERT_TRUE(
        Shows("Enter backlight default on startup (i.e. Press 1 for ON, Press 2 for OFF): "));
    run_->Type("1\r");
    ASSERT_TRUE(Shows("Exiting config mode\n\n"));
    ASSERT_TRUE(Shows(kMenu));

    EXPECT_EQ(ReadFile("KORVPOLE.CFG"), std::string("5\0\0001\0", 5));
    EXPECT_EQ(run_->Output().find("Reading config..."), std::string::npos);
    EXPECT_EQ(PortHex(), kBringUpBacklightOn);
    EXPECT_TRUE(Com5().Model().BacklightOn());
    ExitWithX();
}

TEST_F(ProgramCase, ConfiguredStartBringsUpTheDisplayAndReportsTheFile) {
    WriteFile("KORVPOLE.CFG", std::string("5\0\0002\0", 5));
    Start();
    ASSERT_TRUE(Shows("Korvane pole app release v 1.0.1\n"));
    ASSERT_TRUE(Shows(std::string("Reading config...\nCOM=5\nBacklight=OFF\n") + kMenu));
    // An empty POLE.DAT was created and draws nothing: the line carries the bring-up only.
    EXPECT_EQ(PortHex(), kBringUp);
    EXPECT_EQ(run_->Output().find("No korvpole.cfg"), std::string::npos);
    EXPECT_TRUE(fs::is_regular_file(WorkPath("POLE.DAT")));
    EXPECT_EQ(fs::file_size(WorkPath("POLE.DAT")), 0u);
    ExitWithX("X");
}

TEST_F(ProgramCase, RecordIsDrawnWithItsAmountsRightAligned) {
    WriteFile("KORVPOLE.CFG", std::string("5\0\0001\0", 5));
    WriteRecord({"ABC", "TWENTY CHARACTERS 20", 1, 1, 125, -500});
    Start();
    ASSERT_TRUE(RowBecomes(4, "    TOTAL      -5.00"));
    EXPECT_EQ(Com5().Model().Row(1), Padded("ABC"));
    EXPECT_EQ(Com5().Model().Row(2), "TWENTY CHARACTERS 20");
    EXPECT_EQ(Com5().Model().Row(3), "TOTAL TAX       1.25");
    EXPECT_TRUE(Com5().Model().BacklightOn());
    ExitWithX();
}

TEST_F(ProgramCase, LinesAreRedrawnOnlyWhenTheCounterChanges) {
    WriteFile("KORVPOLE.CFG", std::string("5\0\0002\0", 5));
    WriteRecord({"FIRST SALE", "ITEM ONE", 1, 1, 125, 1000});
    Start();
    ASSERT_TRUE(RowBecomes(1, Padded("FIRST SALE")));
    ASSERT_TRUE(RowBecomes(4, "    TOTAL      10.00"));

    // Same counter: the new amount shows, the new lines do not.
    WriteRecord({"UNSEEN", "UNSEEN", 1, 1, 250, 1000});
    ASSERT_TRUE(RowBecomes(3, "TOTAL TAX       2.50"));
    EXPECT_EQ(Com5().Model().Row(1), Padded("FIRST SALE"));
    EXPECT_EQ(Com5().Model().Row(2), Padded("ITEM ONE"));

    // A new counter clears first, so the shorter line leaves nothing behind.
    WriteRecord({"NEXT", "", 2, 100, 1250, 99999999});
    ASSERT_TRUE(RowBecomes(1, Padded("NEXT")));
    ASSERT_TRUE(RowBecomes(4, "    TOTAL   99999999"));
    EXPECT_EQ(Com5().Model().Row(2), kBlankRow);
    EXPECT_EQ(Com5().Model().Row(3), "TOTAL TAX       1250");
    ExitWithX();
}

TEST_F(ProgramCase, BacklightKeyTogglesInEitherCase) {
    WriteFile("KORVPOLE.CFG", std::string("5\0\0001\0", 5));
    WriteRecord({"LIGHT", "", 1, 1, 0, 100});
    Start();
    ASSERT_TRUE(Shows(kMenu));
    ASSERT_TRUE(RowBecomes(1, Padded("LIGHT")));
    ASSERT_TRUE(Com5().Model().BacklightOn());
    run_->Type("B");
    ASSERT_TRUE(BacklightBecomes(false));
    run_->Type("b");
    ASSERT_TRUE(BacklightBecomes(true));
    // Other keys are no commands.
    run_->Type("q5\r");
    ASSERT_TRUE(RowBecomes(4, "    TOTAL       1.00"));
    EXPECT_TRUE(Com5().Model().BacklightOn());
    ExitWithX();
}

TEST_F(ProgramCase, PoleFileThatIsADirectoryEndsAfterAnyKey) {
    WriteFile("KORVPOLE.CFG", std::string("5\0\0001\0", 5));
    fs::create_directory(WorkPath("POLE.DAT"));
    Start();
    ASSERT_TRUE(Shows("File open error detected: POLE.DAT\nPress any key to exit\n"));
    run_->Type("\r");  // left unread: cmd takes it as an empty line
    const std::optional<int> status = run_->WaitForEnd();
    ASSERT_TRUE(status.has_value()) << run_->Output();
    EXPECT_EQ(*status, 0);
    EXPECT_EQ(run_->Output().find("Press S to run setup"), std::string::npos);
    EXPECT_EQ(PortHex(), std::string(kBringUpBacklightOn) + " FE 01 FE 02");
    EXPECT_TRUE(fs::is_directory(WorkPath("POLE.DAT")));
}

TEST_F(ProgramCase, PortThatDoesNotExistLeavesTheProgramRunning) {
    WriteFile("KORVPOLE.CFG", std::string("42\0001\0", 5));
    WriteRecord({"NOBODY SEES THIS", "", 1, 1, 125, 125});
    Start();
    ASSERT_TRUE(Shows(std::string("Reading config...\nCOM=42\nBacklight=ON\n") + kMenu));
    run_->Type("B");
    run_->Type("x");
    const std::optional<int> status = run_->WaitForEnd();
    ASSERT_TRUE(status.has_value()) << run_->Output();
    EXPECT_EQ(*status, 0);
    EXPECT_EQ(PortHex(), "");
}

// A display that takes nothing: every byte waits its 1000 ms and is given up, and a
// write given up must not be finished later from a buffer that was reused meanwhile.
TEST_F(ProgramCase, DisplayThatNeverReadsStillLetsXEndTheProgram) {
    StoppedLine stopped;
    WriteFile("KORVPOLE.CFG", std::string("5\0\0002\0", 5));
    Start();
    // 22 bring-up bytes at up to a second each.
    ASSERT_TRUE(Shows(kMenu, seconds(120)));
    run_->Type("x");
    const std::optional<int> status = run_->WaitForEnd(seconds(60));
    ASSERT_TRUE(status.has_value()) << "X did not end the program; console:\n" << run_->Output();
    EXPECT_EQ(*status, 0);

    // Whatever still arrives once the line moves again must be bytes the program sent,
    // in its order, each at most once: none finished later from a reused buffer.
    stopped.Restart();
    Com5().PumpUntilQuiet(milliseconds(1000), seconds(30));
    const std::string late = Com5().Received().substr(mark_);
    const std::string sent = "\xFE\x30\xFE\x30\xFE\x30\xFE\x38\xFE\x06\xFE\x10\xFE\x0C"
                             "\xFE\x01\xFE\x01\xFE\x02\xFE\x01\xFE\x01\xFE\x02";
    EXPECT_TRUE(IsSubsequence(late, sent)) << "bytes after the stall: " << Hex(late);
    EXPECT_LT(late.size(), sent.size()) << "the line never stalled: " << Hex(late);
}

// Last of the cases: it replaces the rig's display.
TEST_F(ProgramCase, UnpluggedDisplayIsBroughtBackAndRepaintedByItself) {
    WriteFile("KORVPOLE.CFG", std::string("5\0\0001\0", 5));
    WriteRecord({"PLUG ME BACK", "SAME RECORD", 1, 1, 125, 250});
    Start();
    ASSERT_TRUE(Shows(kMenu));
    ASSERT_TRUE(RowBecomes(1, Padded("PLUG ME BACK")));

    for (int replug = 1; replug <= 3; ++replug) {
        SCOPED_TRACE("replug " + std::to_string(replug));
        Com5().Port().Unplug();
        std::this_thread::sleep_for(seconds(2));
        g_rig->com5.reset();  // its link goes with it, so the new one must come after
        g_rig->com5 = std::make_unique<DisplayTap>(g_rig->com5_link);
        mark_ = 0;

        // The record has not changed: rows 1 and 2 come back only with a whole repaint.
        ASSERT_TRUE(RowBecomes(1, Padded("PLUG ME BACK"))) << run_->Output();
        EXPECT_TRUE(RowBecomes(2, Padded("SAME RECORD")));
        EXPECT_TRUE(RowBecomes(4, "    TOTAL       2.50"));
        EXPECT_TRUE(Com5().Model().BacklightOn());
        EXPECT_EQ(Hex(Com5().Received().substr(0, 16)),
                  "FE 30 FE 30 FE 30 FE 38 FE 06 FE 10 FE 0C FE 01");
    }
    ExitWithX();
}

TEST(PlainTextTest, DropsControlSequencesAndReadsCursorStepsAsBlanks) {
    EXPECT_EQ(PlainText("\x1b]0;C:\\cmd.exe\x07\x1b[?25lPress\x1b[K\x1b[1CS\x1b[?25h\r\n"),
              "Press S\n");
    EXPECT_EQ(PlainText("a\x1b[3Cb"), "a   b");
    EXPECT_EQ(PlainText("end\x1b["), "end");  // cut short
}

}  // namespace
}  // namespace korv::test

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    const char* from_environment = std::getenv("KORV_TARGET_PROGRAM");
    const std::string program = argc > 1 ? argv[1] : (from_environment ? from_environment : "");
    if (program.empty()) {
        std::fprintf(stderr, "usage: %s <korvpole or korvpole.exe> (or KORV_TARGET_PROGRAM)\n",
                     argv[0]);
        return 2;
    }
    namespace fs = std::filesystem;
    using namespace korv::test;
    Rig rig;
    rig.target.program = fs::absolute(program).string();
    if (!fs::exists(rig.target.program)) {
        std::fprintf(stderr, "no program at %s\n", rig.target.program.c_str());
        return 2;
    }
    char root[] = "/tmp/korvprog.XXXXXX";
    if (mkdtemp(root) == nullptr) return 2;
    rig.root = root;
    rig.work = rig.root + "/work";
    fs::create_directory(rig.work);
    try {
        std::string link = rig.work + "/COM5";
        if (rig.target.IsWindows()) {
            rig.wine = std::make_unique<WinePrefix>(rig.root + "/prefix");
            link = rig.wine->DosDevice("com5");
        }
        rig.com5_link = link;
        rig.com5 = std::make_unique<DisplayTap>(link);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "cannot set up the test: %s\n", error.what());
        rig.Stop();
        return 1;
    }
    g_rig = &rig;
    const int result = RUN_ALL_TESTS();
    rig.Stop();
    std::error_code ignored;
    fs::remove_all(rig.root, ignored);
    return result;
}
