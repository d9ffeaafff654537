// The tools' own parts: command lines, korvpole-check's words, pattern and port list,
// korvpole-post's amounts and record inspector.
#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "display/display_driver.h"
#include "platform/fake/fake_platform.h"
#include "platform/port_facts.h"
#include "platform/record_file.h"
#include "pole/poll_cycle.h"
#include "pole/failure_words.h"
#include "pole/korvpole_ini.h"
#include "tests/support/console_text.h"
#include "tests/support/record_bytes.h"
#include "tests/support/wire_bytes.h"
#include "tools/check/check_args.h"
#include "tools/check/check_pattern.h"
#include "tools/check/check_words.h"
#include "tools/check/port_report.h"
#include "tools/simulator/simulator_args.h"
#include "tools/post/post_amount.h"
#include "tools/post/post_args.h"
#include "tools/post/post_record.h"
#include "tools/post/post_show.h"

namespace korv::tools {
namespace {
namespace fake = platform::fake;
using Args = std::vector<std::string>;
using platform::OpenFailure;

struct Outcome {
    std::optional<int> status;
    std::string out;
    std::string err;
};

template <typename Options>
struct Parsed : Outcome {
    Options options;
};

template <typename Options, typename Parser>
Parsed<Options> Parse(Parser parser, const Args& args) {
    Parsed<Options> parsed;
    std::ostringstream out;
    std::ostringstream err;
    parsed.status = parser(args, parsed.options, out, err);
    parsed.out = out.str();
    parsed.err = err.str();
    return parsed;
}

Parsed<PostOptions> Post(const Args& args) { return Parse<PostOptions>(ParsePostArgs, args); }
Parsed<CheckOptions> Check(const Args& args) { return Parse<CheckOptions>(ParseCheckArgs, args); }
Parsed<SimulatorOptions> Display(const Args& args) { return Parse<SimulatorOptions>(ParseSimulatorArgs, args); }

std::string Shown(const Args& args) {
    std::string text;
    for (const std::string& arg : args) text += "[" + arg + "]";
    return text;
}

// A row for each check or word of our own; what CLI11 does with a missing value is its own.
TEST(ToolArgs, BadArgumentsExitTwoSayingWhatIsWrongAndPointingToHelp) {
    using Rows = std::vector<std::pair<Args, std::string>>;
    const std::string amount = "' is not an amount with at most two decimals that fits 32 bits";
    Rows post = {
        {{"--total", "-21474836.49"}, "'-21474836.49" + amount}, {{"--file", ""}, "--file: needs a path"},
        {{"--scale", "65536"}, "'65536' is not a whole number from 0 to 65535"},
        {{"--scale", "-1"}, "'-1' is not a whole number"}, {{"--frobnicate"}, "unknown option '--frobnicate'"},
        {{"--demo", "--step-ms", "3600001"}, "'3600001' is not a whole number of milliseconds from 0 to 3600000"},
        {{"--loop"}, "--loop requires --demo"}, {{"--step-ms", "10"}, "--step-ms requires --demo"},
        {{"--demo", "--total", "1"}, "--total excludes --demo"}, {{"--show", "--demo"}, "--show excludes --demo"},
        {{"--show", "--line1", "x"}, "--line1 excludes --show"}, {{"--show", "--quiet"}, "--quiet excludes --show"},
    };
    for (const std::string text : {"abc", "1e3", "0x10", "1,25", " 1", "-", "", "1.234", "21474836.48",
                                   "99999999999999999999"})
        post.push_back({{"--tax", text}, "'" + text + amount});
    const Rows check = {
        {{"--port", "0"}, "'0' is not a port number from 1 to 99"}, {{"--port", "100"}, "'100' is not a port"},
        {{"--port", "5x"}, "'5x' is not a port"}, {{"--port", ""}, "'' is not a port"},
        {{"--step-ms", "60001"}, "'60001' is not a whole number of milliseconds from 0 to 60000"},
        {{"--kind", "vfd"}, "'vfd' is no display kind: lcd, escpos or cd5220"}, {{"COM5"}, "unexpected argument 'COM5'"},
        {{"--list", "--port", "5"}, "--port excludes --list"}, {{"--list", "--charset"}, "--charset excludes --list"},
        {{"--list", "--keep"}, "--keep excludes --list"},
    };
    const Rows display = {
        {{"--port", "100"}, "'100' is not a port"}, {{"--log", ""}, "--log: needs a path"},
        {{"--rom", "a01"}, "'a01' is no character ROM: a00 (default) or a02"},
        {{"--table", "utf-8"}, "'utf-8' is no display table: cp437, cp850, cp858 or cp1252"},
    };
    const auto expect = [](const std::string& tool, const Rows& rows, const auto& parse) {
        for (const auto& [args, says] : rows) {
            const Outcome parsed = parse(args);
            EXPECT_EQ(parsed.status, 2) << tool << Shown(args);
            EXPECT_EQ(parsed.err.rfind(tool + ": ", 0), 0u) << Shown(args) << parsed.err;
            EXPECT_NE(parsed.err.find(says), std::string::npos) << Shown(args) << parsed.err;
            EXPECT_NE(parsed.err.find("Try '" + tool + " --help'"), std::string::npos) << parsed.err;
            EXPECT_EQ(parsed.out, "") << Shown(args);
        }
    };
    expect("korvpole-post", post, Post);
    expect("korvpole-check", check, Check);
    expect("korvpole-display", display, Display);
}

// Values whose binary floating-point form lies just below the cent they name.
TEST(ToolArgs, AmountsAreTakenExactlyToTheCent) {
    const std::pair<const char*, std::int32_t> cases[] = {  // as typed, in hundredths
        {"0.29", 29}, {"1.15", 115}, {"19.99", 1999}, {"4.35", 435}, {"1.1", 110}, {"+3", 300},
        {"-0.07", -7}, {"1.250", 125}, {".5", 50}, {"0", 0}, {"21474836.47", 2147483647},
    };
    for (const auto& [text, hundredths] : cases) {
        const auto parsed = Post({"--tax", text});
        ASSERT_EQ(parsed.status, std::nullopt) << text;
        EXPECT_EQ(parsed.options.update.tax, hundredths) << text;
    }
}

TEST(ToolArgs, HelpAndVersionEndWithZero) {
    const std::string version = KORV_EXPECTED_VERSION;
    EXPECT_EQ(Post({"--version"}).out, "korvpole-post " + version + "\n");
    EXPECT_EQ(Check({"--version"}).out, "korvpole-check " + version + "\n");
    EXPECT_EQ(Display({"--version"}).out, "korvpole-display " + version + "\n");
    for (const Outcome& help : std::vector<Outcome>{Post({"--help"}), Check({"--help"}), Display({"-h"})}) {
        EXPECT_EQ(help.status, 0);
        EXPECT_NE(help.out.find("--version"), std::string::npos) << help.out;
        EXPECT_NE(help.out.find("Exit status"), std::string::npos) << help.out;
        EXPECT_EQ(help.err, "");
    }
    EXPECT_NE(Post({"--help"}).out.find("--show"), std::string::npos);
    EXPECT_NE(Check({"--help"}).out.find("--keep"), std::string::npos);
}

TEST(ToolArgs, ValuesAtTheEdgesOfTheirRangesAndTheLastOfARepeat) {
    const auto post = Post({"--scale", "65535", "--tax", "-21474836.48", "--total", "21474836.47",
                            "--line1", "", "--line2", "first", "--line2", "second"});
    ASSERT_EQ(post.status, std::nullopt) << post.err;
    EXPECT_EQ(post.options.update.scale, 65535);
    EXPECT_EQ(post.options.update.tax, -2147483647 - 1);
    EXPECT_EQ(post.options.update.total, 2147483647);
    EXPECT_EQ(post.options.update.line1, std::string());
    EXPECT_EQ(post.options.update.line2, std::string("second"));

    const auto negative = Post({"--tax", "-.5", "--scale", "0", "--file", "other.dat"});
    ASSERT_EQ(negative.status, std::nullopt) << negative.err;
    EXPECT_EQ(negative.options.update.tax, -50);
    EXPECT_EQ(negative.options.update.scale, 0);
    EXPECT_EQ(negative.options.update.total, std::nullopt) << "not given, so kept from the file";
    EXPECT_EQ(negative.options.file, "other.dat");

    const auto demo = Post({"--demo", "--loop", "--step-ms", "0", "--quiet"});
    ASSERT_EQ(demo.status, std::nullopt) << demo.err;
    EXPECT_TRUE(demo.options.demo && demo.options.loop && demo.options.quiet);
    EXPECT_EQ(demo.options.step_ms, 0);

    for (const char* port : {"1", "99", "07"}) {
        const auto check = Check({"--port", port, "--step-ms", "60000", "--keep"});
        ASSERT_EQ(check.status, std::nullopt) << check.err;
        EXPECT_EQ(check.options.port, std::stoi(port));
        EXPECT_EQ(check.options.step_ms, 60000);
        EXPECT_TRUE(check.options.keep);
        const auto display = Display({"--port", port});
        ASSERT_EQ(display.status, std::nullopt) << display.err;
        EXPECT_EQ(display.options.port, std::stoi(port));
    }
    const auto defaults = Check({});
    ASSERT_EQ(defaults.status, std::nullopt) << defaults.err;
    EXPECT_EQ(defaults.options.port, std::nullopt) << "KORVPOLE.CFG decides";
    EXPECT_FALSE(defaults.options.keep);
    EXPECT_EQ(defaults.options.step_ms, 1500);
    EXPECT_LT(Check({"--charset"}).options.step_ms, 0) << "the pages share their time";
    EXPECT_EQ(Check({"--step-ms", "0", "--charset"}).options.step_ms, 0);
}

TEST(CheckMessages, EachOpenFailureSaysWhatIsWrongAndWhatToDo) {
    const auto advice = [](OpenFailure failure, const char* device, const char* leads_to = "",
                           const char* group = "", bool member = false, int port = 5) {
        return OpenFailureAdvice(port, {failure, std::make_error_code(std::errc::io_error)},
                                 {device, leads_to, group, member});
    };
    const struct {
        std::string text;
        std::vector<std::string> says;
        std::vector<std::string> never;
    } cases[] = {
        {advice(OpenFailure::kNoPortNumber, "COM0", "", "", false, 0), {"no COM port is configured", "press S", "--port N"}, {}},
        {advice(OpenFailure::kNoDevice, "/dev/ttyS4"), {"there is no COM5 (/dev/ttyS4)", "plugged in", "/dev/ttyUSB"}, {"Device Manager"}},
        {advice(OpenFailure::kNoDevice, "\\\\.\\COM5"), {"there is no COM5 (\\\\.\\COM5)", "Device Manager"}, {"/dev/"}},
        {advice(OpenFailure::kNoDevice, "COM5", "/dev/ttyUSB0"), {"COM5 links to /dev/ttyUSB0, which does not exist", "ls -l COM5"}, {}},
        {advice(OpenFailure::kBusy, "\\\\.\\COM5"), {"held by another program", "korvpole", "X"}, {}},
        {advice(OpenFailure::kPermission, "/dev/ttyS4", "", "dialout"), {"group 'dialout'", "sudo usermod -aG dialout $USER", "log out and in"}, {}},
        {advice(OpenFailure::kPermission, "/dev/ttyS4", "", "dialout", true), {"although you are in its group 'dialout'", "ls -lL"}, {"usermod"}},
        {advice(OpenFailure::kPermission, "\\\\.\\COM5"), {"access to COM5", "refused"}, {"usermod"}},
        {advice(OpenFailure::kNotSerial, "COM5", "plain.txt"), {"COM5 (link to plain.txt) is not a serial device"}, {}},
        {advice(OpenFailure::kOther, "/dev/ttyS4"), {"COM5 (/dev/ttyS4) cannot be opened: Input/output error (error 5)"}, {}},
    };
    std::set<std::string> distinct;
    for (const auto& c : cases) {
        distinct.insert(c.text);
        for (const std::string& part : c.says) EXPECT_NE(c.text.find(part), std::string::npos) << c.text;
        for (const std::string& part : c.never) EXPECT_EQ(c.text.find(part), std::string::npos) << c.text;
    }
    EXPECT_EQ(distinct.size(), std::size(cases)) << "every cause has words of its own";
}

TEST(CheckPattern, TheSettingsRowFitsForCom99AndThreePagesHoldTheCharacters) {
    EXPECT_EQ(SettingsRow(5, 9600), "COM5 9600 baud 8N1  ");
    EXPECT_EQ(SettingsRow(99, 115200), "COM99 115200 8N1    ") << "the fastest speed fits";
    EXPECT_EQ(CharacterPages(), 3);
}

// The port unplugged halfway through the pattern, or a line that takes nothing.
TEST(CheckPattern, TheVerdictIsOkOnlyWhenThePortTookEveryByte) {
    for (const std::string fault : {"", "unplugged", "not reading"}) {
        SCOPED_TRACE(fault);
        fake::Reset();
        fake::ComPort(5).drops = fault == "not reading";
        if (fault == "unplugged") fake::At(1000, [] { fake::Unplug(5); });
        DisplayDriver display;
        ASSERT_FALSE(display.Open({5}));
        ShowPattern(display, {5, 9600, false, true, 1000});
        std::ostringstream out;
        std::ostringstream err;
        EXPECT_EQ(Verdict(display, "COM5 (COM5)", "the pattern", true, false, "Rows.", out, err), fault.empty());
        EXPECT_EQ(out.str(), fault.empty() ? "korvpole-check: OK: the test pattern went out on COM5 (COM5) and "
                                             "every byte was taken. Look at the display: the pattern; now the "
                                             "pattern stays up, backlight off. Rows.\n" : "");
        const std::string why = fault == "unplugged" ? "went away while the pattern was sent"
                                : "opened, but did not take " + std::to_string(display.BytesNotTaken()) + " bytes";
        EXPECT_EQ(err.str().rfind("korvpole-check: FAIL: COM5 (COM5) " + why, 0),
                  fault.empty() ? std::string::npos : 0u) << err.str();
    }
}

TEST(CheckList, ExitStatusMarkAndAdviceFollowWhatWasFound) {
    std::ostringstream nothing_there;
    EXPECT_FALSE(PrintPortList(nothing_there, {{6, "COM6 -> /dev/ttyUSB3", "", PortState::kMissing, false, "", false},
                                               {7, "COM7", "", PortState::kNotSerial, false, "", false}}, 5, {}));
    EXPECT_NE(nothing_there.str().find("KORVPOLE.CFG names COM5, which is not among them"), std::string::npos)
        << nothing_there.str();

    // A refused port is there all the same; each missing group is told once.
    std::ostringstream refused;
    EXPECT_TRUE(PrintPortList(refused, {{1, "/dev/ttyS0", "", PortState::kNoPermission, false, "dialout", false},
                                        {0, "/dev/ttyUSB0", "", PortState::kNoPermission, false, "dialout", false},
                                        {0, "/dev/ttyACM0", "", PortState::kNoPermission, false, "plugdev", true}},
                              1, {}));
    const std::string text = refused.str();
    EXPECT_EQ(test::Occurrences(text, "sudo usermod -aG dialout $USER"), 1) << text;
    EXPECT_EQ(test::Occurrences(text, "usermod -aG plugdev"), 0) << "already in it: " << text;
    EXPECT_EQ(text.rfind("COM1  /dev/ttyS0", 0), 0u) << text;
    EXPECT_NE(text.find("no permission  <- KORVPOLE.CFG\n"), std::string::npos) << text;
    EXPECT_NE(text.find("ln -s /dev/serial/by-id/NAME COM5"), std::string::npos) << text;

    // The braille daemon matters beside a USB adapter, taken already or still listed.
    const std::vector<ListedPort> built_in = {{1, "/dev/ttyS0", "", PortState::kPresent, false, "", false}};
    const std::vector<ListedPort> usb = {{0, "/dev/ttyUSB0", "", PortState::kPresent, true, "", false}};
    EXPECT_TRUE(TakerAdvice(built_in, {true, false, false}).empty());
    for (const auto& advice : {TakerAdvice(built_in, {true, false, true}), TakerAdvice(usb, {true, false, false})}) {
        ASSERT_EQ(advice.size(), 1u);
        EXPECT_NE(advice[0].find("apt-get remove brltty"), std::string::npos) << advice[0];
    }
    const std::vector<std::string> prober = TakerAdvice(built_in, {false, true, false});
    ASSERT_EQ(prober.size(), 1u);
    EXPECT_NE(prober[0].find("ENV{ID_MM_DEVICE_IGNORE}=\"1\""), std::string::npos) << prober[0];
}

// Stored so that the poll cycle's own formatting shows it as typed.
TEST(PostAmount, StoredSoThatKorvpoleShowsItAsTypedAtAnyScale) {
    const struct {
        std::int32_t typed;  // hundredths
        std::uint16_t scale;
        std::int32_t stored;
        const char* shown;
    } cases[] = {
        {125, 1, 125, "1.25"},      {-500, 1, -500, "-5.00"},   {1250, 10, 125, "12.50"},
        {-10, 10, -1, "-0.10"},     {25000, 100, 250, "250"},   {-700, 100, -7, "-7"},
        {2147483600, 100, 21474836, "21474836"},                {30, 3, 10, "0.30"},
        {0, 0, 0, "0.00"},
    };
    for (const auto& c : cases) {
        const std::optional<std::int32_t> stored = StoredAmount(c.typed, c.scale);
        ASSERT_EQ(stored, c.stored) << c.typed << " at scale " << c.scale;
        char text[32];
        FormatAmount(*stored, c.scale, text, sizeof text);
        EXPECT_STREQ(text, c.shown) << c.typed << " at scale " << c.scale;
    }
    for (const auto& [typed, scale] : {std::pair<std::int32_t, std::uint16_t>{1250, 100}, {1255, 10},
                                       {1, 10}, {-50, 100}, {100, 0}, {-2147483647 - 1, 3}})
        EXPECT_EQ(StoredAmount(typed, scale), std::nullopt) << typed << " at scale " << scale;
}

// The counter, written last, keeps its old value: korvpole does not take the half-written
// record as new.
TEST(RecordWriter, AWriteThatFailsLeavesTheCounterAsItWasAndSaysWhy) {
    fake::Reset();
    fake::File("POLE.DAT") = test::RecordByHand("OLD", "", 7, 1, 100, 200);
    fake::Platform().write_fails_at = 60;  // the scale, after the counter's place
    fake::Platform().step_error = std::make_error_code(std::errc::no_space_on_device);
    RecordUpdate update;
    update.line1 = "NEW";
    update.tax = 300;
    std::uint16_t counter = 0;
    const WriteFailure written = WriteRecord("POLE.DAT", update, counter);
    EXPECT_EQ(written.cause, WriteFault::kFile);
    EXPECT_EQ(written.error, "POLE.DAT: " + fake::Platform().step_error.message());
    EXPECT_EQ(test::Hex(fake::File("POLE.DAT").substr(58, 2)), "07 00");
}

// korvpole-post --show's inspector, reading the file as korvpole does.
std::string Record74(std::uint16_t counter, std::uint16_t scale, std::int32_t tax, std::int32_t total,
                     const std::string& line1 = "Line one", const std::string& line2 = "Line two") {
    return test::RecordByHand(line1, line2, counter, scale, tax, total);
}

RecordView Inspect(const std::string& record, const KorvpoleIni& ini = KorvpoleIni()) {
    fake::Reset();
    fake::File("POLE.DAT") = record;
    platform::RecordFile file;
    EXPECT_FALSE(file.Open("POLE.DAT", platform::RecordFile::Mode::kRead));
    return InspectRecord(file, record, ini);
}

bool Warns(const RecordView& view, const std::string& text) {
    for (const std::string& warning : view.warnings)
        if (warning.find(text) != std::string::npos) return true;
    return false;
}

TEST(PostShow, WarnsAboutWhatKorvpoleWillDoAndPrintsTheRowsFramedWithUnprintableBytesMarked) {
    const RecordView healthy = Inspect(Record74(3, 1, 125, 1350));
    EXPECT_TRUE(healthy.warnings.empty()) << healthy.warnings.front();
    EXPECT_EQ(healthy.rows[2], "TOTAL TAX       1.25");
    EXPECT_EQ(healthy.counter, 3);

    EXPECT_TRUE(Warns(Inspect(Record74(0, 1, 125, 1350)), "change counter is 0"));
    const RecordView prefix = Inspect(Record74(1, 1, 0, 0, "ab\xFE", "\xFE"));
    EXPECT_TRUE(Warns(prefix, "line 1 holds the byte 0xFE at column 3"));
    EXPECT_TRUE(Warns(prefix, "line 2 holds the byte 0xFE at column 1"));
    // A command byte from 0x80 on does not use up the hint a letter's byte gets.
    EXPECT_TRUE(Warns(Inspect(Record74(1, 1, 0, 0, "\xFE\xE4")), "0xE4 at column 2: the display shows a character of its own"));

    const RecordView overflow = Inspect(Record74(1, 1, 100000000, -10000000));
    EXPECT_TRUE(Warns(overflow, "the tax amount 1000000.00 needs 10 characters"));
    EXPECT_TRUE(Warns(overflow, "the total amount -100000.00 needs 10 characters"));
    EXPECT_TRUE(Warns(overflow, "shown as ***********"));  // the 11 columns after the caption

    const RecordView scale0 = Inspect(Record74(1, 0, 100, 100));
    EXPECT_TRUE(Warns(scale0, "amount scale is 0"));
    EXPECT_FALSE(Warns(Inspect(Record74(1, 100, 100, 100)), "scale"));

    const std::string full = Record74(9, 1, 125, 1350);
    const RecordView short66 = Inspect(full.substr(0, 66));
    EXPECT_TRUE(Warns(short66, "66 of the 74 bytes"));
    EXPECT_TRUE(Warns(short66, "draws only rows 1, 2 and 3 (row 3 without its amount)"));
    EXPECT_TRUE(Warns(short66, "without its pause"));
    EXPECT_EQ(short66.tax, std::nullopt);
    EXPECT_TRUE(Warns(Inspect(full.substr(0, 59)), "change counter is cut short"));
    EXPECT_TRUE(Warns(Inspect(full.substr(0, 40)), "draws nothing"));
    const RecordView short72 = Inspect(full.substr(0, 72));
    EXPECT_TRUE(Warns(short72, "draws all four rows"));
    EXPECT_TRUE(Warns(short72, "total amount is cut short"));
    EXPECT_FALSE(Warns(short72, "without its pause")) << "a cycle that completes pauses";

    const RecordView view = Inspect(Record74(0, 100, 1250, 99, "A\x01" "B"));
    const std::string text = FormatRecordView("POLE.DAT", 74, view);
    EXPECT_NE(text.find("1 |                    |  (not drawn)\n"), std::string::npos) << text;
    EXPECT_NE(text.find("3 |TOTAL TAX       1250|\n"), std::string::npos) << text;
    EXPECT_NE(text.find("amount scale    100 (whole numbers)"), std::string::npos) << text;
    EXPECT_NE(text.find("tax amount      1250 (hundredths), shown as 1250"), std::string::npos) << text;
    const RecordView odd = Inspect(Record74(1, 1, 0, 0, "A\x01" "B"));
    // Code 01 is the LCD's second user-defined character, which holds no letter.
    EXPECT_NE(FormatRecordView("POLE.DAT", 74, odd).find("1 |A\u2588B "), std::string::npos);
    EXPECT_TRUE(Warns(odd, "line 1 holds the byte 0x01 at column 2: the display shows a character of its own"));
}

// Only the rows a 2x20 display shows, top first.
TEST(PostShow, OnATwoRowDisplayPrintsItsRowsAndWarnsOfItsOwnCommandBytes) {
    KorvpoleIni escpos;
    escpos.display = {0, 9600, 2, 20, false, DisplayKind::kEscpos, {3, 1}};
    const RecordView view = Inspect(Record74(1, 1, 0, 0, "a\x1B" "b\xFE", "c\x1B"), escpos);
    const std::string text = FormatRecordView("POLE.DAT", 74, view, escpos);
    EXPECT_NE(text.find("shows rows 3 and 1, top first:\n  +--------------------+\n3 |TOTAL TAX       0.00|\n"
                        "1 |a b\u25A0                |\n  +"),
              std::string::npos)
        << text;
    EXPECT_TRUE(Warns(view, "line 1 holds the byte 0x1B at column 2, which the escpos display takes as a command"));
    EXPECT_TRUE(Warns(view, "line 1 holds the byte 0xFE at column 4: the display shows a character of its own for "
                            "it; text = in KORVPOLE.INI names the code page the till writes"));
    EXPECT_EQ(view.warnings.size(), 2u) << "line 2 is not shown, and 0xFE is no command to it";
}

// A cd5220 display holding cp437 has no euro sign; an LCD draws eight letters its ROM
// lacks, the ninth plain.
TEST(PostShow, ShowsTheLettersAndWordsAsTheDisplayDoes) {
    KorvpoleIni cd5220;
    ASSERT_EQ(ParseKorvpoleIni("display = cd5220\ntext = cp1252\ntotal = ATT BETALA\ndecimal = ,", cd5220), "");
    const RecordView two_rows = Inspect(Record74(1, 1, 0, 12950, "Stra\xDF" "e 3,50 \x80"), cd5220);
    EXPECT_EQ(two_rows.rows, (std::vector<std::string>{"Straße 3,50 E       ", "ATT BETALA    129,50"}));
    EXPECT_TRUE(Warns(two_rows, "line 1 shows € as E: the display's table cp437 lacks them"));

    KorvpoleIni lcd;
    ASSERT_EQ(ParseKorvpoleIni("text = cp1252", lcd), "");
    const RecordView nine = Inspect(Record74(1, 1, 0, 0, "\xC0\xC1\xC2\xC3\xC4\xC5\xC6\xC7\xC9"), lcd);
    EXPECT_EQ(nine.rows[0], "ÀÁÂÃÄÅÆÇE           ");
    EXPECT_TRUE(Warns(nine, "line 1 shows É as E: the LCD draws at most eight letters its ROM lacks at once"));
}
}  // namespace
}  // namespace korv::tools
