// The tools' own parts: command lines, the health check's words and test pattern, the
// record inspector's warnings.
#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "platform/fake/fake_platform.h"
#include "platform/port_facts.h"
#include "platform/record_file.h"
#include "tools/check/check_args.h"
#include "tools/check/check_messages.h"
#include "tools/check/check_pattern.h"
#include "tools/display/display_args.h"
#include "tools/post/post_args.h"
#include "tools/post/post_show.h"
#include "tools/record_writer.h"

namespace korv::tools {
namespace {

using Args = std::vector<std::string>;
using platform::OpenFailure;

struct Parsed {
    std::optional<int> status;
    std::string out;
    std::string err;
};

template <typename Options, typename Parser>
Parsed Parse(Parser parser, const Args& args, Options& options) {
    std::ostringstream out;
    std::ostringstream err;
    const std::optional<int> status = parser(args, options, out, err);
    return {status, out.str(), err.str()};
}

Parsed Post(const Args& args, PostOptions& options) { return Parse(ParsePostArgs, args, options); }
Parsed Post(const Args& args) {
    PostOptions options;
    return Post(args, options);
}
Parsed Check(const Args& args, CheckOptions& options) { return Parse(ParseCheckArgs, args, options); }
Parsed Check(const Args& args) {
    CheckOptions options;
    return Check(args, options);
}
Parsed Display(const Args& args, DisplayOptions& options) {
    return Parse(ParseDisplayArgs, args, options);
}
Parsed Display(const Args& args) {
    DisplayOptions options;
    return Display(args, options);
}

std::string Shown(const Args& args) {
    std::string text;
    for (const std::string& arg : args) text += "[" + arg + "]";
    return text;
}

TEST(ToolArgs, BadArgumentsExitTwoWithTheToolsNameFirst) {
    const std::vector<Args> post_bad = {
        {"--tax", "abc"}, {"--tax", "1e3"}, {"--tax", "0x10"}, {"--tax", "1,25"}, {"--tax", " 1"},
        {"--tax", "-"}, {"--tax", "21474836.48"}, {"--tax", "1.234"}, {"--total", "1.234"},
        {"--total", "21474836.48"}, {"--total", "-21474836.49"}, {"--total", "99999999999999999999"},
        {"--total", ""}, {"--scale", "65536"}, {"--scale", "-1"}, {"--scale", "1.5"}, {"--scale", ""},
        {"--frobnicate"}, {"--tax"}, {"--loop"}, {"--step-ms", "10"}, {"--demo", "--total", "1"},
        {"--demo", "--step-ms", "soon"}, {"stray"}, {"--file", ""}, {"--demo", "--step-ms", "3600001"},
        {"--show", "--line1", "x"}, {"--show", "--quiet"}, {"--show", "--demo"},
    };
    for (const Args& args : post_bad) {
        const Parsed parsed = Post(args);
        EXPECT_EQ(parsed.status, 2) << Shown(args);
        EXPECT_EQ(parsed.err.rfind("korvpole-post: ", 0), 0u) << Shown(args) << parsed.err;
        EXPECT_EQ(parsed.out, "") << Shown(args);
    }
    for (const Args& args : std::vector<Args>{{"--port", "0"}, {"--port", "100"}, {"--port", "5x"},
                                              {"--port", ""}, {"--port", "-5"}, {"--step-ms", "60001"},
                                              {"--keep=maybe"}, {"COM5"}}) {
        const Parsed parsed = Check(args);
        EXPECT_EQ(parsed.status, 2) << Shown(args);
        EXPECT_EQ(parsed.err.rfind("korvpole-check: ", 0), 0u) << Shown(args) << parsed.err;
    }
    EXPECT_NE(Post({"--scale", "70000"}).err.find("'70000' is not a whole number from 0 to 65535"),
              std::string::npos);
    EXPECT_NE(Post({"--frobnicate"}).err.find("unknown option '--frobnicate'"), std::string::npos);
    EXPECT_NE(Check({"--port", "0"}).err.find("--help"), std::string::npos) << "points to --help";
}

// Values whose binary floating-point form lies just below the cent they name.
TEST(ToolArgs, AmountsAreTakenExactlyToTheCent) {
    const struct {
        const char* text;
        std::int32_t hundredths;
    } cases[] = {
        {"0.29", 29}, {"1.15", 115}, {"19.99", 1999}, {"4.35", 435}, {"1.1", 110}, {"+3", 300},
        {"-0.07", -7}, {"1.250", 125}, {".5", 50}, {"0", 0}, {"21474836.47", 2147483647},
    };
    for (const auto& c : cases) {
        PostOptions options;
        ASSERT_EQ(Post({"--tax", c.text}, options).status, std::nullopt) << c.text;
        EXPECT_EQ(options.update.tax, c.hundredths) << c.text;
    }
}

TEST(ToolArgs, HelpAndVersionEndWithZero) {
    const std::string version = KORV_EXPECTED_VERSION;
    EXPECT_EQ(Post({"--version"}).out, "korvpole-post " + version + "\n");
    EXPECT_EQ(Check({"--version"}).out, "korvpole-check " + version + "\n");
    EXPECT_EQ(Display({"--version"}).out, "korvpole-display " + version + "\n");
    for (const Parsed& help : {Post({"--help"}), Check({"--help"}), Display({"-h"})}) {
        EXPECT_EQ(help.status, 0);
        EXPECT_NE(help.out.find("--version"), std::string::npos) << help.out;
        EXPECT_NE(help.out.find("Exit status"), std::string::npos) << help.out;
        EXPECT_EQ(help.err, "");
    }
    EXPECT_NE(Post({"--help"}).out.find("--show"), std::string::npos);
    EXPECT_NE(Check({"--help"}).out.find("--keep"), std::string::npos);
}

TEST(ToolArgs, ValuesAtTheEdgesOfTheirRangesAndTheLastOfARepeat) {
    PostOptions post;
    ASSERT_EQ(Post({"--scale", "65535", "--tax", "-21474836.48", "--total", "21474836.47",
                    "--line1", "", "--line2", "first", "--line2", "second"},
                   post).status,
              std::nullopt);
    EXPECT_EQ(post.update.scale, 65535);
    EXPECT_EQ(post.update.tax, -2147483647 - 1);
    EXPECT_EQ(post.update.total, 2147483647);
    EXPECT_EQ(post.update.line1, std::string());
    EXPECT_EQ(post.update.line2, std::string("second"));
    EXPECT_FALSE(post.update.scale == std::nullopt);

    PostOptions negative;
    ASSERT_EQ(Post({"--tax", "-.5", "--scale", "0", "--file", "other.dat"}, negative).status,
              std::nullopt);
    EXPECT_EQ(negative.update.tax, -50);
    EXPECT_EQ(negative.update.scale, 0);
    EXPECT_EQ(negative.update.total, std::nullopt) << "not given, so kept from the file";
    EXPECT_EQ(negative.file, "other.dat");

    PostOptions demo;
    ASSERT_EQ(Post({"--demo", "--loop", "--step-ms", "0", "--quiet"}, demo).status, std::nullopt);
    EXPECT_TRUE(demo.demo && demo.loop && demo.quiet);
    EXPECT_EQ(demo.step_ms, 0);

    for (const char* port : {"1", "99", "07"}) {
        CheckOptions check;
        ASSERT_EQ(Check({"--port", port, "--step-ms", "60000", "--keep"}, check).status, std::nullopt);
        EXPECT_EQ(check.port, std::stoi(port));
        EXPECT_EQ(check.step_ms, 60000);
        EXPECT_TRUE(check.keep);
        DisplayOptions display;
        ASSERT_EQ(Display({"--port", port}, display).status, std::nullopt);
        EXPECT_EQ(display.port, std::stoi(port));
    }
    CheckOptions defaults;
    ASSERT_EQ(Check({}, defaults).status, std::nullopt);
    EXPECT_EQ(defaults.port, std::nullopt) << "KORVPOLE.CFG decides";
    EXPECT_FALSE(defaults.keep);
}

platform::PortFacts Facts(const std::string& device, const std::string& leads_to = "",
                          const std::string& group = "", bool member = false) {
    platform::PortFacts facts;
    facts.device = device;
    facts.leads_to = leads_to;
    facts.group = group;
    facts.member_of_group = member;
    return facts;
}

TEST(CheckMessages, EachOpenFailureSaysWhatIsWrongAndWhatToDo) {
    const auto advice = [](OpenFailure failure, const platform::PortFacts& facts, int port = 5) {
        return OpenFailureAdvice(port, failure, 5, "Input/output error", facts);
    };
    const struct {
        std::string text;
        std::vector<std::string> says;
        std::vector<std::string> never;
    } cases[] = {
        {advice(OpenFailure::kNoPortNumber, Facts("COM0"), 0), {"no COM port is configured", "press S", "--port N"}, {}},
        {advice(OpenFailure::kNoDevice, Facts("/dev/ttyS4")), {"there is no COM5 (/dev/ttyS4)", "plugged in", "/dev/ttyUSB"}, {"Device Manager"}},
        {advice(OpenFailure::kNoDevice, Facts("\\\\.\\COM5")), {"there is no COM5 (\\\\.\\COM5)", "Device Manager"}, {"/dev/"}},
        {advice(OpenFailure::kNoDevice, Facts("COM5", "/dev/ttyUSB0")), {"COM5 links to /dev/ttyUSB0, which does not exist", "ls -l COM5"}, {}},
        {advice(OpenFailure::kBusy, Facts("\\\\.\\COM5")), {"held by another program", "korvpole", "X"}, {}},
        {advice(OpenFailure::kPermission, Facts("/dev/ttyS4", "", "dialout")), {"group 'dialout'", "sudo usermod -aG dialout $USER", "log out and in"}, {}},
        {advice(OpenFailure::kPermission, Facts("/dev/ttyS4", "", "dialout", true)), {"although you are in its group 'dialout'", "ls -lL"}, {"usermod"}},
        {advice(OpenFailure::kPermission, Facts("\\\\.\\COM5")), {"access to COM5", "refused"}, {"usermod"}},
        {advice(OpenFailure::kNotSerial, Facts("COM5", "plain.txt")), {"COM5 (link to plain.txt) is not a serial device"}, {}},
        {advice(OpenFailure::kOther, Facts("/dev/ttyS4")), {"COM5 (/dev/ttyS4) cannot be opened: Input/output error (error 5)"}, {}},
    };
    std::set<std::string> distinct;
    for (const auto& c : cases) {
        distinct.insert(c.text);
        for (const std::string& part : c.says) EXPECT_NE(c.text.find(part), std::string::npos) << c.text;
        for (const std::string& part : c.never) EXPECT_EQ(c.text.find(part), std::string::npos) << c.text;
    }
    EXPECT_EQ(distinct.size(), std::size(cases)) << "every cause has words of its own";
}

TEST(CheckPattern, RowsFitAndShowEveryPrintableCharacterOnce) {
    EXPECT_EQ(SettingsRow(5), "COM5 9600 baud 8N1");
    EXPECT_LE(SettingsRow(99).size(), 20u);
    EXPECT_EQ(RulerRow(), "12345678901234567890");
    std::string shown;
    for (int page = 0; page < CharacterPages(); ++page) {
        for (int row = 3; row <= 4; ++row) {
            const std::string text = CharacterRow(page, row);
            EXPECT_EQ(text.size(), 20u) << "page " << page << " row " << row;
            shown += text;
        }
    }
    std::string printable;
    for (char c = '!'; c <= '~'; ++c) printable += c;
    EXPECT_EQ(shown.substr(0, printable.size()), printable);
    EXPECT_EQ(shown.find_first_not_of(' ', printable.size()), std::string::npos) << "blanks after";
    EXPECT_EQ(CharacterPages(), 3);
}

std::string Record74(std::uint16_t counter, std::uint16_t scale, std::int32_t tax,
                     std::int32_t total, const std::string& line1 = "Line one",
                     const std::string& line2 = "Line two") {
    PoleRecordFields fields;
    fields.line1 = line1;
    fields.line2 = line2;
    fields.counter = counter;
    fields.scale = scale;
    fields.tax = tax;
    fields.total = total;
    return EncodeRecord(fields);
}

// What --show makes of a file holding `record`.
RecordView Inspect(const std::string& record) {
    platform::fake::Reset();
    platform::fake::Platform().record = record;
    platform::RecordFile file;
    EXPECT_TRUE(file.Open("POLE.DAT"));
    return InspectRecord(file, record);
}

bool Warns(const RecordView& view, const std::string& text) {
    for (const std::string& warning : view.warnings)
        if (warning.find(text) != std::string::npos) return true;
    return false;
}

TEST(PostShow, WarnsAboutWhatKorvpoleWillDoWithTheRecord) {
    const RecordView healthy = Inspect(Record74(3, 1, 125, 1350));
    EXPECT_TRUE(healthy.warnings.empty()) << healthy.warnings.front();
    EXPECT_EQ(healthy.rows[2], "TOTAL TAX       1.25");
    EXPECT_EQ(healthy.counter, 3);

    const RecordView counter0 = Inspect(Record74(0, 1, 125, 1350));
    EXPECT_TRUE(Warns(counter0, "change counter is 0"));
    EXPECT_FALSE(counter0.drawn[0] || counter0.drawn[1]);
    EXPECT_EQ(counter0.rows[0], std::string(20, ' '));

    const RecordView prefix = Inspect(Record74(1, 1, 0, 0, "ab\xFE", "\xFE"));
    EXPECT_TRUE(Warns(prefix, "line 1 holds the byte 0xFE at column 3"));
    EXPECT_TRUE(Warns(prefix, "line 2 holds the byte 0xFE at column 1"));
    EXPECT_EQ(prefix.rows[0].substr(0, 3), "ab ");

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
}

TEST(PostShow, PrintsTheRowsFramedWithUnprintableBytesMarked) {
    const RecordView view = Inspect(Record74(0, 100, 1250, 99, "A\x01" "B"));
    const std::string text = FormatRecordView("POLE.DAT", 74, view);
    EXPECT_NE(text.find("1 |                    |  (not drawn)\n"), std::string::npos) << text;
    EXPECT_NE(text.find("3 |TOTAL TAX       1250|\n"), std::string::npos) << text;
    EXPECT_NE(text.find("amount scale    100 (whole numbers)"), std::string::npos) << text;
    EXPECT_NE(text.find("tax amount      1250 (hundredths), shown as 1250"), std::string::npos) << text;
    const RecordView odd = Inspect(Record74(1, 1, 0, 0, "A\x01" "B"));
    EXPECT_NE(FormatRecordView("POLE.DAT", 74, odd).find("1 |A?B "), std::string::npos);
    EXPECT_TRUE(Warns(odd, "row 1 column 2 holds the byte 0x01"));
}

}  // namespace
}  // namespace korv::tools
