#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "sim/display_model.h"
#include "tests/support/wire_bytes.h"

namespace korv::test {
// A pseudo-terminal standing in for a COM port: `link` (e.g. "COM5" in the working
// directory) points at its slave side, and the test reads what arrives on the master.
class PtyPort {
public:
    explicit PtyPort(std::string link);
    ~PtyPort();
    PtyPort(const PtyPort&) = delete;
    PtyPort& operator=(const PtyPort&) = delete;

    const std::string& SlavePath() const { return slave_path_; }
    std::string ReadFor(std::chrono::milliseconds window);
    // Every byte written to the port before the call, and whatever comes meanwhile: a
    // mark written to the port's own end comes back behind them. Throws when the mark
    // does not come back (a stopped line). Nothing once unplugged.
    std::string CatchUp();

    // The far side goes away, as an unplugged adapter; the link is left dangling.
    void Unplug();
    int MasterFd() const { return master_; }
    // The test's own hold on the slave side, which keeps the line from hanging up; a
    // test stops the line there (tcflow) as a display that stopped reading.
    int SlaveFd() const { return slave_; }

private:
    std::string link_;
    std::string slave_path_;
    int master_ = -1;
    int slave_ = -1;
};

// One wire of a null-modem cable joining two ports: what was sent to `from` so far
// arrives on `to` as received bytes. Called while a case waits.
void CarryAcross(PtyPort& from, PtyPort& to);

// A pseudo-terminal port whose bytes the display model of its kind and ROM decodes.
class DisplayTap {
public:
    explicit DisplayTap(std::string link, DisplayKind kind = DisplayKind::kLcd,
                        charset::CharacterRom rom = charset::CharacterRom::kA00)
        : port_(std::move(link)), kind_(kind), model_(sim::MakeDisplayModel(kind, rom)) {}

    std::string Pump(std::chrono::milliseconds window) { return Fed(port_.ReadFor(window)); }
    bool PumpUntil(const std::function<bool(const sim::DisplayModel&)>& done, std::chrono::milliseconds limit);
    // Feeds every byte sent before the call (PtyPort::CatchUp); returns what came.
    std::string CatchUp() { return Fed(port_.CatchUp()); }

    const sim::DisplayModel& Model() const { return *model_; }
    DisplayKind Kind() const { return kind_; }
    PtyPort& Port() { return port_; }
    const std::string& Received() const { return received_; }

private:
    std::string Fed(const std::string& bytes) {
        model_->Feed(bytes);
        received_ += bytes;
        return bytes;
    }

    PtyPort port_;
    DisplayKind kind_;
    std::unique_ptr<sim::DisplayModel> model_;
    std::string received_;
};
}  // namespace korv::test
