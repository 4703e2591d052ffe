#include "station/settings/fixture_settings.h"

#include "platform/profile.h"
#include "station/settings/setting_values.h"
#include "tool/serials.h"

namespace station {

namespace {

std::string Section(int number) {
    return "fixture" + std::to_string(number);
}

// Why fixture has a problem of its own, before the others are compared with it; "" for none.
std::string OwnProblem(const FixtureSettings& fixture, const os::TitledSetting& probe) {
    if (fixture.probe.empty()) {
        return "config.ini的[" + Section(fixture.number) + "]中没有probe=";
    }
    if (!fixture.serial) {
        return SettingProblem(Section(fixture.number), probe, "不是J-Link的序列号");
    }
    if (fixture.name.size() > kLongestFixtureName) {
        return "config.ini的[" + Section(fixture.number) + "]中name=" + fixture.name +
               "太长（最多" + std::to_string(kLongestFixtureName) + "个字符）";
    }
    return {};
}

// Two fixtures with one probe (or one name) would program one board twice, or mix their rows:
// both are refused, the rest work.
void RefuseShared(std::vector<FixtureSettings>& fixtures) {
    std::vector<std::string> problems(fixtures.size());
    for (std::size_t i = 0; i < fixtures.size(); ++i) {
        for (std::size_t j = 0; j < fixtures.size(); ++j) {
            const FixtureSettings& a = fixtures[i];
            const FixtureSettings& b = fixtures[j];
            if (i == j || !problems[i].empty()) {
                continue;
            }
            if (a.serial && a.serial == b.serial) {
                problems[i] = "config.ini的[" + Section(a.number) + "]与[" + Section(b.number) +
                              "]的probe=是同一个J-Link（" + *a.serial + "）";
            } else if (a.name == b.name) {
                problems[i] = "config.ini的[" + Section(a.number) + "]与[" + Section(b.number) +
                              "]的name=相同（" + a.name + "）";
            }
        }
    }
    for (std::size_t i = 0; i < fixtures.size(); ++i) {
        if (fixtures[i].problem.empty()) {
            fixtures[i].problem = problems[i];
        }
    }
}

}  // namespace

std::vector<FixtureSettings> ReadFixtures(const std::string& configPath, const std::string& title) {
    std::vector<FixtureSettings> fixtures;
    for (int number = 1; number <= kMostFixtures; ++number) {
        const std::string section = Section(number);
        const os::TitledSetting probe = os::GetTitledSetting(section, "probe", title, configPath);
        std::string name = os::GetTitledSetting(section, "name", title, configPath).value;
        if (probe.value.empty() && name.empty()) {
            continue;
        }
        FixtureSettings fixture;
        fixture.number = number;
        fixture.name = name.empty() ? std::to_string(number) : std::move(name);
        fixture.probe = probe.value;
        fixture.serial = tool::CanonicalSerial(probe.value);
        fixture.problem = OwnProblem(fixture, probe);
        fixtures.push_back(std::move(fixture));
    }
    RefuseShared(fixtures);
    return fixtures;
}

}  // namespace station
