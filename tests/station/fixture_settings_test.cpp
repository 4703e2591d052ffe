// config.ini's [fixtureN] sections: the fixtures a bench has, and the ones that cannot press.
#include <gtest/gtest.h>

#include <string>

#include "station/settings/fixture_settings.h"
#include "temp_folder.h"

using namespace station;

namespace {

struct FixturesCase {
    const char* name;
    const char* ini;
    // Per fixture found, "<number>:<name>:<serial or ->:<ok, or the problem's last words>".
    std::vector<std::string> expected;
};

std::string Described(const FixtureSettings& f) {
    const std::string problem =
        f.problem.empty() ? "ok" : f.problem.substr(f.problem.rfind("]") + 1);
    return std::to_string(f.number) + ":" + f.name + ":" + f.serial.value_or("-") + ":" + problem;
}

TEST(FixtureSettings, ReadsEveryFixtureAndRefusesOnlyTheWrongOnes) {
    const FixturesCase cases[] = {
        {"none", "[station]\r\nprobe=682000001\r\n", {}},
        {"named and numbered",
         "[fixture1]\r\nprobe=682000001\r\nname=A\r\n[fixture3]\r\nprobe=0682000003\r\n",
         {"1:A:682000001:ok", "3:3:682000003:ok"}},
        {"per title", "[fixture1]\r\nprobe=1\r\nprobe.Bench=7\r\n", {"1:1:7:ok"}},
        {"no probe",
         "[fixture1]\r\nname=A\r\n[fixture2]\r\nprobe=2\r\n",
         {"1:A:-:中没有probe=", "2:2:2:ok"}},
        {"not a serial", "[fixture1]\r\nprobe=abc\r\n", {"1:1:-:中probe=abc不是J-Link的序列号"}},
        {"one probe twice",
         "[fixture1]\r\nprobe=5\r\n[fixture2]\r\nprobe=005\r\n[fixture4]\r\nprobe=4\r\n",
         {"1:1:5:的probe=是同一个J-Link（5）", "2:2:5:的probe=是同一个J-Link（5）", "4:4:4:ok"}},
        {"one name twice",
         "[fixture1]\r\nprobe=1\r\nname=A\r\n[fixture2]\r\nprobe=2\r\nname=A\r\n",
         {"1:A:1:的name=相同（A）", "2:A:2:的name=相同（A）"}},
        {"name too long",
         "[fixture1]\r\nprobe=1\r\nname=ABCDEFGHI\r\n",
         {"1:ABCDEFGHI:1:中name=ABCDEFGHI太长（最多8个字符）"}},
        {"past eight", "[fixture8]\r\nprobe=8\r\n[fixture9]\r\nprobe=9\r\n", {"8:8:8:ok"}},
    };
    for (const FixturesCase& c : cases) {
        SCOPED_TRACE(c.name);
        const test_support::TempFolder folder;
        folder.Write("config.ini", c.ini);
        std::vector<std::string> found;
        for (const FixtureSettings& fixture : ReadFixtures(folder / "config.ini", "Bench")) {
            found.push_back(Described(fixture));
        }
        EXPECT_EQ(found, c.expected);
    }
}

}  // namespace
