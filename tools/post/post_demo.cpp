#include "tools/post/post_demo.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <thread>
#include <vector>

#include "pole/record_format.h"
#include "tools/post/post_amount.h"
#include "tools/post/post_record.h"

namespace korv::tools {

namespace {

constexpr std::size_t kLineWidth = record::kLineSize;
constexpr std::int64_t kTaxPercent = 7;

struct Item {
    const char* name;
    int count;
    std::int32_t unit_price;  // hundredths
};

constexpr Item kItems[] = {
    {"Coffee beans 500g", 1, 890},
    {"Oat milk 1l", 1, 235},
    {"Croissant", 2, 180},
};

// Whole hundredths, half a cent rounded up, as a till does it.
std::int32_t TaxOn(std::int32_t amount) {
    return static_cast<std::int32_t>((amount * kTaxPercent + 50) / 100);
}

// `left` and `right` on one 20-character line, `right` ending in the last column.
std::string Spread(const std::string& left, const std::string& right) {
    const std::size_t used = left.size() + right.size();
    return left + std::string(used < kLineWidth ? kLineWidth - used : 1, ' ') + right;
}

RecordUpdate Step(const std::string& line1, const std::string& line2, std::int32_t tax,
                  std::int32_t total) {
    RecordUpdate update;
    update.line1 = line1;
    update.line2 = line2;
    update.tax = tax;
    update.total = total;
    update.scale = 1;
    return update;
}

std::vector<RecordUpdate> DemoSaleSteps() {
    std::vector<RecordUpdate> steps;
    steps.push_back(Step("  WELCOME TO KORV", "   MARKET & CAFE", 0, 0));
    std::int32_t subtotal = 0;
    for (const Item& item : kItems) {
        const std::int32_t price = item.count * item.unit_price;
        subtotal += price;
        const std::string quantity =
            std::to_string(item.count) + " x " + FormatHundredths(item.unit_price);
        steps.push_back(
            Step(item.name, Spread(quantity, FormatHundredths(price)), TaxOn(subtotal), subtotal));
    }
    const std::int32_t tax = TaxOn(subtotal);
    steps.push_back(Step(Spread("SUBTOTAL", FormatHundredths(subtotal)),
                         Spread("TAX " + std::to_string(kTaxPercent) + "%", FormatHundredths(tax)),
                         tax, subtotal));
    steps.push_back(Step("TOTAL DUE", Spread("PLEASE PAY", FormatHundredths(subtotal + tax)), tax,
                         subtotal + tax));
    steps.push_back(Step("     THANK YOU!", " PLEASE COME AGAIN", tax, subtotal + tax));
    return steps;
}

}  // namespace

WriteFailure PlayDemo(const std::string& path, int step_ms, bool loop, bool quiet) {
    const std::vector<RecordUpdate> steps = DemoSaleSteps();
    do {
        for (std::size_t i = 0; i < steps.size(); ++i) {
            std::uint16_t counter = 0;
            if (const WriteFailure failure = WriteRecord(path, steps[i], counter)) return failure;
            if (!quiet) {
                std::printf("%5u  %-20s | %s\n", counter, steps[i].line1->c_str(),
                            steps[i].line2->c_str());
                std::fflush(stdout);
            }
            const bool last = !loop && i + 1 == steps.size();
            if (!last) std::this_thread::sleep_for(std::chrono::milliseconds(step_ms));
        }
    } while (loop);
    return {};
}

}  // namespace korv::tools
