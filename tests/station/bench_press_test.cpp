// A bench of fixtures in one station folder: each presses through its own probe on its own
// thread, and what they share (the record, the serial numbers, the log) stays whole.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "serial_numbers/serial_number_store.h"
#include "station/check/error_codes.h"
#include "station/press/bench.h"
#include "station_fixture.h"

using ::testing::HasSubstr;

namespace {

std::string ProbeOf(int number) {
    return std::to_string(682000000 + number);
}

class BenchPress : public StationTest {
protected:
    // A station folder with count fixtures, named A, B, ...; the stand-in lists every probe
    // but those of absent (1-based). Serial numbers from 100000.
    station::Bench& MakeBench(int count, const std::set<int>& absent = {},
                              const std::string& standIn = "") {
        bench_.reset();
        auto& folder = Station();
        std::string ini = folder.Read("config.ini") + "[serial]\r\naddress=0x10001080\r\nfirst=100000\r\nlast=199999\r\n";
        std::string serials;
        for (int n = 1; n <= count; ++n) {
            ini += "[fixture" + std::to_string(n) + "]\r\nprobe=" + ProbeOf(n) +
                   "\r\nname=" + std::string(1, static_cast<char>('A' + n - 1)) + "\r\n";
            if (absent.count(n) == 0) {
                serials += (serials.empty() ? "" : ",") + ProbeOf(n);
            }
        }
        folder.Write("config.ini", ini);
        folder.SetStandIn("serial=" + (serials.empty() ? std::string("1") : serials) + "\n" +
                          standIn);
        bench_ = std::make_unique<station::Bench>(
            folder.Path() + kExecutableName, [] {}, [] {});
        bench_->Configure(ReadFixtures(folder.Path() + "config.ini", "Romtool"));
        bench_->Init(true, "");
        return *bench_;
    }

    // Presses every fixture at once, waits for all, and returns each one's finished event.
    std::map<std::size_t, BenchEvent> PressAll(station::Bench& bench) {
        for (std::size_t i = 0; i < bench.Count(); ++i) {
            EXPECT_TRUE(bench.Press(i, true, ""));
        }
        bench.WaitAll();
        std::map<std::size_t, BenchEvent> finished;
        for (BenchEvent& event : bench.TakeEvents()) {
            if (event.kind == BenchEvent::Kind::kFinished) {
                finished.emplace(event.fixture, std::move(event));
            }
        }
        return finished;
    }

    void TearDown() override {
        bench_.reset();
        StationTest::TearDown();
    }

    std::unique_ptr<station::Bench> bench_;
};

TEST_F(BenchPress, PressesEveryFixtureThroughItsOwnProbeSideBySide) {
    struct Case {
        int count;
        std::set<int> absent;  // unplugged probes: those fixtures fail alone
    };
    const Case cases[] = {{1, {}}, {2, {2}}, {4, {1, 3}}, {8, {5}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.count);
        station::Bench& bench = MakeBench(c.count, c.absent);
        const auto finished = PressAll(bench);
        ASSERT_EQ(finished.size(), static_cast<std::size_t>(c.count));
        std::set<std::uint32_t> numbers;
        for (int n = 1; n <= c.count; ++n) {
            const PressOutcome& outcome = finished.at(static_cast<std::size_t>(n - 1)).outcome;
            const std::string name(1, static_cast<char>('A' + n - 1));
            const bool pass = c.absent.count(n) == 0;
            EXPECT_EQ(outcome.verdict.caption, pass ? "PASS" : "FAIL") << name;
            EXPECT_EQ(outcome.verdict.code, pass ? 0 : kProbeNotFound) << name;
            EXPECT_EQ(outcome.row.fixture, name);
            EXPECT_EQ(outcome.row.probeSerial, pass ? ProbeOf(n) : "");
            ASSERT_EQ(outcome.serialNumber.has_value(), pass) << name;
            if (pass) {
                EXPECT_TRUE(numbers.insert(*outcome.serialNumber).second) << "given twice";
                EXPECT_THAT(Log(), HasSubstr("[" + name + "] SN=" +
                                             std::to_string(*outcome.serialNumber) + " PASS"));
            }
        }
        // One whole row per press, in the shared record.
        EXPECT_EQ(RecordRows().size(), static_cast<std::size_t>(c.count) + 1);
        // Each probe's chip holds its board's own image; only the unplugged ones are blank.
        int firstListed = 1;
        while (c.absent.count(firstListed) != 0) {
            ++firstListed;
        }
        for (int n = 1; n <= c.count; ++n) {
            const std::string flash =
                n == firstListed ? "flash.bin" : "flash-" + ProbeOf(n) + ".bin";
            EXPECT_EQ(station_->Exists("bin/" + flash), c.absent.count(n) == 0) << flash;
        }
    }
}

}  // namespace
