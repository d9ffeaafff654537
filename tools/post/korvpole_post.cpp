// korvpole-post: a till for trying korvpole; sets fields of POLE.DAT in place, shows
// what korvpole makes of the file, or plays a scripted sale.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "pole/korvpole_ini.h"
#include "pole/record_format.h"
#include "tools/common/tool_cli.h"
#include "tools/common/utf8_console.h"
#include "tools/post/post_amount.h"
#include "tools/post/post_args.h"
#include "tools/post/post_record.h"
#include "tools/post/post_show.h"

namespace korv::tools {
namespace {
// --demo's scripted sale.
constexpr std::size_t kLineWidth = record::kLineSize;
constexpr std::int64_t kTaxPercent = 7;
constexpr std::uint16_t kScale = 1;  // the amounts as typed, with two decimals

struct Item {
    const char* name;
    int count;
    std::int32_t unit_price;  // hundredths
};
constexpr Item kItems[] = {{"Coffee beans 500g", 1, 890}, {"Oat milk 1l", 1, 235}, {"Croissant", 2, 180}};

// Whole hundredths, half a cent rounded up, as a till does it.
std::int32_t TaxOn(std::int32_t amount) { return static_cast<std::int32_t>((amount * kTaxPercent + 50) / 100); }

// `left` and `right` on one 20-character line, `right` ending in the last column.
std::string Spread(const std::string& left, const std::string& right) {
    const std::size_t used = left.size() + right.size();
    return left + std::string(used < kLineWidth ? kLineWidth - used : 1, ' ') + right;
}

std::vector<RecordUpdate> DemoSaleSteps() {
    std::vector<RecordUpdate> steps = {{"  WELCOME TO KORV", "   MARKET & CAFE", 0, 0, kScale}};
    std::int32_t subtotal = 0;
    for (const Item& item : kItems) {
        const std::int32_t price = item.count * item.unit_price;
        subtotal += price;
        const std::string quantity = std::to_string(item.count) + " x " + FormatHundredths(item.unit_price);
        steps.push_back({item.name, Spread(quantity, FormatHundredths(price)), TaxOn(subtotal), subtotal, kScale});
    }
    const std::int32_t tax = TaxOn(subtotal);
    const std::int32_t due = subtotal + tax;
    steps.push_back({Spread("SUBTOTAL", FormatHundredths(subtotal)),
                     Spread("TAX " + std::to_string(kTaxPercent) + "%", FormatHundredths(tax)), tax, subtotal, kScale});
    steps.push_back({"TOTAL DUE", Spread("PLEASE PAY", FormatHundredths(due)), tax, due, kScale});
    steps.push_back({"     THANK YOU!", " PLEASE COME AGAIN", tax, due, kScale});
    return steps;
}

// A welcome, the items with running totals, the tax, the total due and a thank-you,
// `step_ms` apart, once or until ended; a line per step unless `quiet`.
WriteFailure PlayDemo(const std::string& path, int step_ms, bool loop, bool quiet) {
    const std::vector<RecordUpdate> steps = DemoSaleSteps();
    do {
        for (std::size_t i = 0; i < steps.size(); ++i) {
            std::uint16_t counter = 0;
            if (const WriteFailure failure = WriteRecord(path, steps[i], counter)) return failure;
            if (!quiet) {
                std::printf("%5u  %-20s | %s\n", counter, steps[i].line1->c_str(), steps[i].line2->c_str());
                std::fflush(stdout);
            }
            if (loop || i + 1 < steps.size()) std::this_thread::sleep_for(std::chrono::milliseconds(step_ms));
        }
    } while (loop);
    return {};
}

void Say(const std::string& words) { std::fprintf(stderr, "korvpole-post: %s\n", words.c_str()); }

int Failed(const std::string& words, int status) {
    Say(words);
    return status;
}
}  // namespace
}  // namespace korv::tools

int main(int argc, char** argv) {
    using namespace korv::tools;
    constexpr int kFileFailed = 1;
    PostOptions options;
    if (const auto status = ParsePostArgs(Utf8Arguments(argc, argv), options, std::cout, std::cerr)) return *status;
    options.file = SystemPath(options.file);
    // KORVPOLE.INI beside the record, as korvpole there reads it.
    const std::string ini_path = (std::filesystem::path(options.file).parent_path() / korv::kIniFileName).string();
    korv::KorvpoleIni ini;
    if (const std::string problem = korv::ReadKorvpoleIni(ini, ini_path); !problem.empty())
        return Failed(problem, kUsageError);
    const std::optional<korv::charset::CodePage> text = ini.display.text;
    std::optional<Utf8ConsoleScope> utf8_console;
    if (text) utf8_console.emplace();

    if (options.show) {
        const std::string failure = ShowRecordFile(options.file, ini);
        return failure.empty() ? 0 : Failed(failure, kFileFailed);
    }
    WriteFailure failure;
    std::uint16_t counter = 0;
    if (options.demo) {
        failure = PlayDemo(options.file, options.step_ms, options.loop, options.quiet);
    } else if (const std::string refused = text ? ConvertLines(options.update, *text) : ""; !refused.empty()) {
        return Failed(refused, kUsageError);
    } else {
        for (const std::string& note : CutLines(options.update, text)) Say(note);
        failure = WriteRecord(options.file, options.update, counter);
    }
    if (failure) return Failed(failure.error, failure.cause == WriteFault::kAmount ? kUsageError : kFileFailed);
    if (!options.quiet && !options.demo) std::printf("%s: counter %u written\n", options.file.c_str(), counter);
    return 0;
}
