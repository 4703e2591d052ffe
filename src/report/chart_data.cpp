#include "report/chart_data.h"

#include <algorithm>

#include "report/error_meanings.h"
#include "report/report_text.h"

namespace report {

namespace {

template <typename Range, typename Write>
std::string JsonArray(const Range& range, Write write) {
    std::string out = "[";
    for (const auto& item : range) {
        if (out.size() > 1) {
            out += ',';
        }
        out += write(item);
    }
    return out + "]";
}

std::string Number(std::uint64_t value) {
    return std::to_string(value);
}

// A percentage for JSON: the number with one decimal, or null.
std::string PercentOrNull(std::uint64_t part, std::uint64_t whole) {
    return whole == 0 ? "null" : Percent(part, whole);
}

std::string BarLabel(std::uint32_t ms, std::uint32_t barMs) {
    const int decimals = barMs < 100 ? 2 : barMs < 1000 ? 1 : 0;
    std::uint32_t scaled = ms;
    for (int i = decimals; i < 3; ++i) {
        scaled /= 10;
    }
    std::string text = std::to_string(scaled);
    if (decimals > 0) {
        text.insert(0,
                    static_cast<std::size_t>(
                        std::max<int>(0, decimals + 1 - static_cast<int>(text.size()))),
                    '0');
        text.insert(text.size() - static_cast<std::size_t>(decimals), ".");
    }
    return text + " s";
}

std::string HoursJson(const Tally& tally) {
    return "\"hours\":{\"pass\":" + JsonArray(tally.PassByHour(), Number) +
           ",\"fail\":" + JsonArray(tally.FailByHour(), Number) + "}";
}

// Pareto: the most frequent code first, then by code, with the cumulative share.
std::string FailuresJson(const Tally& tally) {
    std::vector<std::pair<int, std::uint64_t>> codes(tally.FailuresByCode().begin(),
                                                     tally.FailuresByCode().end());
    std::stable_sort(codes.begin(), codes.end(),
                     [](const auto& a, const auto& b) { return a.second > b.second; });
    std::uint64_t fails = 0;
    for (const auto& code : codes) {
        fails += code.second;
    }
    std::uint64_t cumulative = 0;
    return "\"failures\":" + JsonArray(codes, [&](const std::pair<int, std::uint64_t>& code) {
               cumulative += code.second;
               return "{\"code\":" +
                      JsonString(code.first == kNoCode ? "none" : std::to_string(code.first)) +
                      ",\"meaning\":" + JsonString(ErrorMeaning(code.first)) +
                      ",\"count\":" + Number(code.second) +
                      ",\"cumulative\":" + PercentOrNull(cumulative, fails) + "}";
           });
}

std::string CycleJson(const Tally& tally) {
    const ShownHistogram histogram = ShowHistogram(tally.CycleHistogram());
    return "\"cycle\":{\"labels\":" + JsonArray(histogram.labels, JsonString) +
           ",\"counts\":" + JsonArray(histogram.counts, Number) +
           ",\"barMs\":" + Number(histogram.barMs) + "}";
}

// Yield per station over every day shown.
std::string YieldJson(const Tally& tally) {
    std::vector<std::uint64_t> boards(tally.Stations().size()), first(boards.size()),
        final(boards.size());
    for (const StationDayRow& row : tally.Rows()) {
        boards[row.station] += row.boards;
        first[row.station] += row.firstPassBoards;
        final[row.station] += row.finalPassBoards;
    }
    return "\"yield\":" + JsonArray(tally.StationOrder(), [&](std::uint32_t s) {
               return "{\"station\":" + JsonString(StationLabel(tally.Stations()[s])) +
                      ",\"title\":" + JsonString(tally.Stations()[s].title) +
                      ",\"boards\":" + Number(boards[s]) +
                      ",\"firstPass\":" + PercentOrNull(first[s], boards[s]) +
                      ",\"final\":" + PercentOrNull(final[s], boards[s]) + "}";
           });
}

// First-pass yield per station and fixture over every day shown.
std::string FixtureYieldJson(const Tally& tally) {
    return "\"fixtures\":" + JsonArray(tally.FixtureRows(), [&](const FixtureYield& row) {
               const Station& station = tally.Stations()[row.station];
               return "{\"station\":" + JsonString(StationLabel(station)) +
                      ",\"title\":" + JsonString(station.title) +
                      ",\"fixture\":" + JsonString(row.fixture) +
                      ",\"boards\":" + Number(row.boards) +
                      ",\"firstPass\":" + PercentOrNull(row.firstPassBoards, row.boards) + "}";
           });
}

}  // namespace

std::string StationLabel(const Station& station) {
    return station.title + " \xE2\x80\x94 " + station.folder;
}

ShownHistogram ShowHistogram(const std::vector<std::uint64_t>& buckets) {
    ShownHistogram shown;
    const auto first = std::find_if(buckets.begin(), buckets.end(), [](auto n) { return n > 0; });
    if (first == buckets.end()) {
        return shown;
    }
    const auto last = std::find_if(buckets.rbegin(), buckets.rend(), [](auto n) { return n > 0; });
    const std::uint32_t lowMs = static_cast<std::uint32_t>(first - buckets.begin()) * kBucketMs;
    const std::uint32_t highMs =
        static_cast<std::uint32_t>(buckets.rend() - last - 1) * kBucketMs;  // the last's start
    static constexpr std::uint32_t kWidths[] = {10,   20,   50,   100,   200,   500,
                                                1000, 2000, 5000, 10000, 30000, 60000};
    std::uint32_t width = kWidths[std::size(kWidths) - 1];
    for (const std::uint32_t w : kWidths) {
        if ((highMs / w - lowMs / w + 1) <= kMostBars) {
            width = w;
            break;
        }
    }
    shown.barMs = width;
    const std::uint32_t start = lowMs / width * width;
    const std::size_t bars = highMs / width - lowMs / width + 1;
    shown.counts.assign(bars, 0);
    for (std::size_t b = 0; b < buckets.size(); ++b) {
        if (buckets[b] > 0) {
            shown.counts[(static_cast<std::uint32_t>(b) * kBucketMs - start) / width] += buckets[b];
        }
    }
    for (std::size_t i = 0; i < bars; ++i) {
        shown.labels.push_back(BarLabel(start + static_cast<std::uint32_t>(i) * width, width));
    }
    return shown;
}

std::string ChartDataJson(const Tally& tally) {
    return "{" + HoursJson(tally) + "," + FailuresJson(tally) + "," + CycleJson(tally) + "," +
           YieldJson(tally) + "," + FixtureYieldJson(tally) + "}";
}

}  // namespace report
