#include "report/report_text.h"

#include <gtest/gtest.h>

#include "report/chart_data.h"
#include "report/report_html.h"

namespace {

TEST(ReportText, NumbersRoundHalfUp) {
    EXPECT_EQ(report::Percent(969, 1000), "96.9");
    EXPECT_EQ(report::Percent(1, 3), "33.3");
    EXPECT_EQ(report::Percent(2, 3), "66.7");
    EXPECT_EQ(report::Percent(1, 8), "12.5");  // exactly 12.5
    EXPECT_EQ(report::Percent(1, 16), "6.3");  // 6.25 up
    EXPECT_EQ(report::Percent(5, 5), "100.0");
    EXPECT_EQ(report::Percent(0, 0), "");
    EXPECT_EQ(report::OneDecimal(7, 2), "3.5");
    EXPECT_EQ(report::Seconds(4857), "4.86 s");
    EXPECT_EQ(report::Seconds(30), "0.03 s");
    EXPECT_EQ(report::Seconds(std::nullopt), "");
}

TEST(ReportText, EscapesForHtmlAndScript) {
    EXPECT_EQ(report::HtmlEscaped("<b>a&b</b> \"q\" 'x'"),
              "&lt;b&gt;a&amp;b&lt;/b&gt; &quot;q&quot; &#39;x&#39;");
    EXPECT_EQ(report::JsonString("</script><!--\"\\\n\x01&"),
              "\"\\u003c/script\\u003e\\u003c!--\\\"\\\\\\u000a\\u0001\\u0026\"");
    EXPECT_EQ(report::JsonString("\xE2\x80\xA8\xE2\x80\xA9\xE7\xAB\x99"),
              "\"\\u2028\\u2029\xE7\xAB\x99\"");
}

TEST(ReportHtml, RecordTextCannotBreakOutOfThePage) {
    report::Tally tally;
    report::Press press;
    press.time = *report::ParseRecordTime("2024-03-05T08:00:00.000");
    press.title = "</script><script>alert(1)</script>";
    press.stationFolder = "C:\\<img src=x onerror=alert(2)>&\"'\\";
    press.pass = true;
    press.errorCode = 0;
    tally.OnPress(press);
    tally.OnBadRow({"D:\\</table><b>bad.csv", 3, "<i>why</i>"});
    tally.EndDay();
    const std::string html = report::ReportHtml(tally, {"2024-03-05 09:00", "1 record files", ""});
    EXPECT_EQ(html.find("<script>alert"), std::string::npos);
    EXPECT_EQ(html.find("<img"), std::string::npos);
    EXPECT_EQ(html.find("</table><b>"), std::string::npos);
    EXPECT_EQ(html.find("<i>why"), std::string::npos);
    EXPECT_NE(html.find("&lt;/script&gt;&lt;script&gt;alert(1)&lt;/script&gt;"), std::string::npos);
    // Exactly the page's own three script elements end.
    std::size_t ends = 0;
    for (std::size_t at = html.find("</script"); at != std::string::npos;
         at = html.find("</script", at + 1)) {
        ++ends;
    }
    EXPECT_EQ(ends, 3u);
    EXPECT_EQ(html.find("<!--"), std::string::npos);
}

TEST(ShowHistogram, ChoosesBarsThatFit) {
    std::vector<std::uint64_t> buckets(report::kBuckets);
    EXPECT_TRUE(report::ShowHistogram(buckets).counts.empty());
    buckets[3] = 2;  // 30 ms
    buckets[5] = 1;  // 50 ms
    auto shown = report::ShowHistogram(buckets);
    EXPECT_EQ(shown.barMs, 10u);
    EXPECT_EQ(shown.labels, (std::vector<std::string>{"0.03 s", "0.04 s", "0.05 s"}));
    EXPECT_EQ(shown.counts, (std::vector<std::uint64_t>{2, 0, 1}));
    buckets[485] = 4;  // 4.85 s
    shown = report::ShowHistogram(buckets);
    EXPECT_EQ(shown.barMs, 200u);
    EXPECT_EQ(shown.counts.front(), 3u);
    EXPECT_EQ(shown.counts.back(), 4u);
    EXPECT_EQ(shown.labels.back(), "4.8 s");
}

}  // namespace
