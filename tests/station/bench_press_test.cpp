// A bench of fixtures in one station folder: each presses through its own probe on its own
// thread, and what they share (the record, the serial numbers, the log) stays whole.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "record/record_columns.h"
#include "serial_numbers/serial_number_store.h"
#include "station/check/error_codes.h"
#include "station/press/bench.h"
#include "station_fixture.h"
#include "temp_folder.h"

using record::Column;
using record::IndexOf;
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
        std::string ini = folder.Read("config.ini") +
                          "[serial]\r\naddress=0x10001080\r\nfirst=100000\r\nlast=199999\r\n";
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
        return Started();
    }

    // The bench of the station folder as the program starts it.
    station::Bench& Started() {
        bench_.reset();
        bench_ = std::make_unique<station::Bench>(
            station_->Path() + kExecutableName, [] {}, [] {},
            std::make_shared<StationShared>("Romtool"));
        bench_->Configure(ReadFixtures(station_->Path() + "config.ini", "Romtool"));
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

TEST_F(BenchPress, RefusesOnlyTheFixturesThatNameOneProbe) {
    station::Bench& bench = MakeBench(3);
    std::string ini = station_->Read("config.ini");
    ini.replace(ini.find("probe=" + ProbeOf(2)), 15, "probe=" + ProbeOf(1));
    station_->Write("config.ini", ini);
    bench.Configure(ReadFixtures(station_->Path() + "config.ini", "Romtool"));
    bench.Init(false, "");
    const auto finished = PressAll(bench);
    for (std::size_t i : {0u, 1u}) {
        EXPECT_EQ(finished.at(i).outcome.verdict.code, kSerialNumbers);
        EXPECT_THAT(finished.at(i).outcome.verdict.text,
                    HasSubstr("的probe=是同一个J-Link（682000001），不能烧写。"));
    }
    EXPECT_EQ(finished.at(2).outcome.verdict.caption, "PASS");
    EXPECT_EQ(station_->StandInCalls().find(ProbeOf(1)), std::string::npos);  // never asked
}

TEST_F(BenchPress, EndsAHungToolAtItsLimitAndRecordsEveryFixture) {
    station::Bench& bench = MakeBench(2, {}, "hang=program\n");
    RunLimits limits;
    limits.programming = std::chrono::milliseconds(500);
    bench.SetRunLimits(limits);
    const auto finished = PressAll(bench);
    for (const auto& [i, event] : finished) {
        EXPECT_EQ(event.outcome.verdict.code, kProgrammingFailed);
        EXPECT_THAT(event.outcome.verdict.text, HasSubstr("秒内未结束，已被终止"));
        EXPECT_FALSE(bench.Running(i));
    }
    EXPECT_EQ(RecordRows().size(), 3u);
}

// 退出 while every fixture runs: the bench waits for the last, and every press has its row.
TEST_F(BenchPress, WaitsForEveryRunBeforeItGoes) {
    station::Bench& bench = MakeBench(4, {}, "delay_ms=200\n");
    for (std::size_t i = 0; i < bench.Count(); ++i) {
        ASSERT_TRUE(bench.Press(i, true, ""));
        EXPECT_FALSE(bench.Press(i, true, ""));  // a running fixture's press is dropped
    }
    bench_.reset();
    EXPECT_EQ(RecordRows().size(), 5u);
}

// The program killed while fixtures ran: at the restart each fixture's number left reserved
// gets its own FAIL row naming that fixture, and no number is given twice afterwards.
TEST_F(BenchPress, VoidsEachFixturesNumberCutOffByAKill) {
    MakeBench(4);
    const serial_numbers::SerialNumberStore store(station_->Path());
    const std::uint32_t cutAtA = *store.Reserve("Romtool.A", {100000, 199999}).number;
    const std::uint32_t cutAtC = *store.Reserve("Romtool.C", {100000, 199999}).number;
    station::Bench& bench = Started();  // the program started again
    bench.VoidNumbersCutOff();
    const test_support::CsvRows voided = RecordRows();
    ASSERT_EQ(voided.size(), 3u);
    std::set<std::string> voidedRows;
    for (std::size_t row = 1; row < voided.size(); ++row) {
        voidedRows.insert(voided[row][IndexOf(Column::kFixture)] +
                          voided[row][IndexOf(Column::kSerialNumber)]);
        EXPECT_THAT(voided[row], ::testing::Contains("FAIL"));
    }
    EXPECT_EQ(voidedRows,
              (std::set<std::string>{"A" + std::to_string(cutAtA), "C" + std::to_string(cutAtC)}));
    for (const auto& [i, event] : PressAll(bench)) {
        ASSERT_TRUE(event.outcome.serialNumber) << i;
        EXPECT_NE(*event.outcome.serialNumber, cutAtA);
        EXPECT_NE(*event.outcome.serialNumber, cutAtC);
    }
}

// A board moved from one fixture to another: its chip's earlier PASS is noted as at one fixture.
TEST_F(BenchPress, NotesAChipThatPassedAtAnotherFixture) {
    station::Bench& bench = MakeBench(2);
    station_->Write("config.ini", station_->Read("config.ini") + "[trace]\r\ndeviceid=yes\r\n");
    ASSERT_TRUE(bench.Press(0, true, ""));
    bench.WaitAll();
    // The stand-in gives probe k's chip deviceid + k * 2^32: B's chip is now A's.
    station_->SetStandIn("serial=" + ProbeOf(1) + "," + ProbeOf(2) +
                         "\ndeviceid=F00DCAFD12345678\n");
    ASSERT_TRUE(bench.Press(1, true, ""));
    bench.WaitAll();
    const test_support::CsvRows rows = RecordRows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[2][IndexOf(Column::kDeviceId)], rows[1][IndexOf(Column::kDeviceId)]);
    EXPECT_EQ(rows[2][IndexOf(Column::kSameChipAs)], rows[1][IndexOf(Column::kTime)]);
    EXPECT_EQ(rows[2][IndexOf(Column::kFixture)], "B");
}

// Four fixtures' presses, 1,000 in all, every fifth cut off before its number settled: no number
// is given twice, and a cut-off number is voided by its own fixture's next press, never by
// another fixture's.
TEST(BenchNumbers, NeverGivesOneNumberTwiceAcrossFixtures) {
    const test_support::TempFolder folder;
    const serial_numbers::NumberRange range{100000, 199999};
    std::vector<std::vector<std::uint32_t>> given(4);
    std::vector<std::thread> fixtures;
    for (std::size_t f = 0; f < given.size(); ++f) {
        fixtures.emplace_back([&, f] {
            const serial_numbers::SerialNumberStore store(folder.Path());
            const std::string key = "Romtool." + std::string(1, static_cast<char>('A' + f));
            std::optional<std::uint32_t> cutOff;
            for (int press = 0; press < 250; ++press) {
                const serial_numbers::Reservation reservation = store.Reserve(key, range);
                ASSERT_TRUE(reservation.number);
                ASSERT_EQ(reservation.voided, cutOff);
                given[f].push_back(*reservation.number);
                cutOff.reset();
                if (press % 5 == 4) {
                    cutOff = reservation.number;
                } else {
                    store.Settle(key, *reservation.number);
                }
            }
        });
    }
    for (std::thread& fixture : fixtures) {
        fixture.join();
    }
    std::set<std::uint32_t> numbers;
    for (const auto& one : given) {
        numbers.insert(one.begin(), one.end());
    }
    EXPECT_EQ(numbers.size(), 1000u);
    EXPECT_EQ(*numbers.rbegin() - *numbers.begin(), 999u);
}

}  // namespace
