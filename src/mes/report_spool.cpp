#include "mes/report_spool.h"

#include <algorithm>
#include <cstdio>

#include "platform/files.h"
#include "platform/text.h"

namespace mes {

namespace {

constexpr char kWaiting[] = "mes-report";
constexpr char kRefused[] = "mes-refused";
constexpr char kSuffix[] = ".json";

}  // namespace

ReportSpool::ReportSpool(std::string folder, std::string title)
    : folder_(std::move(folder)), title_(std::move(title)) {
    for (const char* kind : {kWaiting, kRefused}) {
        const std::vector<std::uint64_t> numbers = Numbers(kind);
        if (!numbers.empty()) {
            next_ = std::max(next_, numbers.back() + 1);
        }
    }
}

std::string ReportSpool::PathOf(const char* kind, std::uint64_t number) const {
    char digits[24];
    std::snprintf(digits, sizeof digits, "%010llu", static_cast<unsigned long long>(number));
    return folder_ + kind + "." + title_ + "." + digits + kSuffix;
}

std::vector<std::uint64_t> ReportSpool::Numbers(const std::string& kind) const {
    const std::string prefix = kind + "." + title_ + ".";
    std::vector<std::uint64_t> numbers;
    for (const std::string& name : os::FileNamesIn(folder_)) {
        const std::size_t suffix = name.size() - std::min(name.size(), sizeof kSuffix - 1);
        if (name.size() <= prefix.size() + sizeof kSuffix - 1 || name.rfind(prefix, 0) != 0 ||
            name.compare(suffix, std::string::npos, kSuffix) != 0) {
            continue;
        }
        const std::optional<std::uint64_t> number =
            os::DecimalNumber(std::string_view(name).substr(prefix.size(), suffix - prefix.size()));
        if (number) {
            numbers.push_back(*number);
        }
    }
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}

std::string ReportSpool::Add(const std::string& stamp,
                             const std::function<std::string(const std::string& key)>& body) {
    const std::lock_guard<std::mutex> lock(mutex_);
    const std::uint64_t number = next_;
    const std::string key = title_ + "-" + stamp + "-" + std::to_string(number);
    os::ReplaceFileContent(PathOf(kWaiting, number), key + "\n" + body(key));
    next_ = number + 1;
    return key;
}

std::optional<SpooledReport> ReportSpool::Oldest() const {
    const std::vector<std::uint64_t> numbers = Numbers(kWaiting);
    if (numbers.empty()) {
        return std::nullopt;
    }
    try {
        const std::string text =
            os::ReadWholeFile(PathOf(kWaiting, numbers.front()), os::Share::kReadWrite);
        const std::size_t line = text.find('\n');
        if (line == std::string::npos) {
            return std::nullopt;
        }
        return SpooledReport{numbers.front(), text.substr(0, line), text.substr(line + 1)};
    } catch (const os::FileError&) {
        return std::nullopt;
    }
}

void ReportSpool::Sent(const SpooledReport& report) {
    os::RemoveFile(PathOf(kWaiting, report.number));
}

void ReportSpool::Refused(const SpooledReport& report, const std::string& answer) {
    os::ReplaceFileContent(PathOf(kRefused, report.number),
                           report.key + "\n" + report.body + "\n\n" + answer + "\n");
    os::RemoveFile(PathOf(kWaiting, report.number));
}

std::size_t ReportSpool::Waiting() const {
    return Numbers(kWaiting).size();
}

std::size_t ReportSpool::RefusedCount() const {
    return Numbers(kRefused).size();
}

}  // namespace mes
