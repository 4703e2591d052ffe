#include "mes/mes_settings.h"

#include <tuple>

#include "platform/profile.h"
#include "platform/text.h"

namespace mes {

const char* const kDefaultCheckBody = R"({"sn":"{label}","station":"{station}","step":"{step}"})";
const char* const kDefaultReportBody =
    R"({"sn":"{label}","station":"{station}","step":"{step}","result":"{verdict}",)"
    R"("errorcode":"{error_code}","serial_number":"{serial_number}","device_id":"{device_id}",)"
    R"("image":"{image}","checksum":"{checksum}","time":"{time}","fixture":"{fixture}",)"
    R"("key":"{key}"})";

namespace {

constexpr char kMask[] = "***";

// Where a URL's credentials are: the part before '@' in the authority, or none.
std::optional<std::pair<std::size_t, std::size_t>> Credentials(const std::string& url) {
    const std::size_t scheme = url.find("://");
    if (scheme == std::string::npos) {
        return std::nullopt;
    }
    const std::size_t begin = scheme + 3;
    const std::size_t end = url.find_first_of("/?#", begin);
    const std::size_t at = url.rfind('@', end == std::string::npos ? url.size() : end);
    if (at == std::string::npos || at < begin) {
        return std::nullopt;
    }
    return std::make_pair(begin, at);
}

bool IsWebUrl(const std::string& url) {
    const std::string lower = os::AsciiLower(url);
    return lower.rfind("http://", 0) == 0 || lower.rfind("https://", 0) == 0;
}

}  // namespace

bool MesSettings::operator==(const MesSettings& other) const {
    const auto tie = [](const MesSettings& s) {
        return std::tie(s.checkUrl, s.reportUrl, s.timeout, s.station, s.step, s.checkBody,
                        s.reportBody, s.okField, s.okValue, s.messageField, s.header,
                        s.continueUnreachable, s.problem);
    };
    return tie(*this) == tie(other);
}

namespace {

// The keys that are checked, each with its problem, the last one found kept ("" when all is well).
void CheckKeys(MesSettings& settings, const os::TitledSetting& timeout,
               const os::TitledSetting& unreachable) {
    if (!timeout.value.empty()) {
        const std::optional<std::uint64_t> value = os::DecimalNumber(timeout.value);
        if (!value || *value < 1 || *value > 600000) {
            settings.problem = "config.ini的[mes]中" + timeout.key + "=" + timeout.value +
                               "不是1到600000之间的十进制数";
        } else {
            settings.timeout = std::chrono::milliseconds(*value);
        }
    }
    for (auto [key, url] :
         {std::pair{"check_url", &settings.checkUrl}, {"report_url", &settings.reportUrl}}) {
        if (url->empty()) {
            settings.problem = std::string("config.ini的[mes]中没有") + key + "=";
        } else if (!IsWebUrl(*url)) {
            settings.problem = std::string("config.ini的[mes]中") + key + "=" + MaskedUrl(*url) +
                               "不是http或https的网址";
        }
    }
    settings.continueUnreachable = os::AsciiLower(unreachable.value) == "continue";
    if (!unreachable.value.empty() && !settings.continueUnreachable &&
        os::AsciiLower(unreachable.value) != "stop") {
        settings.problem = "config.ini的[mes]中" + unreachable.key + "=" + unreachable.value +
                           "应为stop或continue";
    }
    if (!settings.header.empty() && settings.header.find(':') == std::string::npos) {
        settings.problem = "config.ini的[mes]中header=应为“名称: 值”";
    }
}

}  // namespace

std::optional<MesSettings> ReadMesSettings(const std::string& configPath,
                                           const std::string& title) {
    const auto read = [&](const char* key) {
        return os::GetTitledSetting("mes", key, title, configPath);
    };
    MesSettings settings;
    settings.checkUrl = read("check_url").value;
    settings.reportUrl = read("report_url").value;
    if (settings.checkUrl.empty() && settings.reportUrl.empty()) {
        return std::nullopt;
    }
    settings.station = read("station").value;
    if (settings.station.empty()) {
        settings.station = title;
    }
    settings.step = read("step").value;
    for (auto [key, field] : {std::pair{"check_body", &settings.checkBody},
                              {"report_body", &settings.reportBody},
                              {"ok_field", &settings.okField},
                              {"ok_value", &settings.okValue},
                              {"message_field", &settings.messageField},
                              {"header", &settings.header}}) {
        const std::string value = read(key).value;
        if (!value.empty()) {
            *field = value;
        }
    }
    CheckKeys(settings, read("timeout_ms"), read("check_unreachable"));
    return settings;
}

std::string MaskedUrl(const std::string& url) {
    const auto credentials = Credentials(url);
    if (!credentials) {
        return url;
    }
    return url.substr(0, credentials->first) + kMask + url.substr(credentials->second);
}

Secrets::Secrets(const MesSettings& settings)
    : checkUrl_(settings.checkUrl), reportUrl_(settings.reportUrl) {
    const std::size_t colon = settings.header.find(':');
    if (colon != std::string::npos) {
        header_ =
            std::string(os::TrimmedOf(std::string_view(settings.header).substr(colon + 1), " \t"));
    }
}

std::string Secrets::Masked(std::string text) const {
    const auto replaceAll = [&text](const std::string& secret, const std::string& by) {
        if (secret.empty()) {
            return;
        }
        for (std::size_t at = text.find(secret); at != std::string::npos;
             at = text.find(secret, at + by.size())) {
            text.replace(at, secret.size(), by);
        }
    };
    for (const std::string* url : {&checkUrl_, &reportUrl_}) {
        if (const auto credentials = Credentials(*url)) {
            const std::string userInfo =
                url->substr(credentials->first, credentials->second - credentials->first);
            replaceAll(userInfo, kMask);
            const std::size_t colon = userInfo.find(':');
            if (colon != std::string::npos) {
                replaceAll(userInfo.substr(colon + 1), kMask);  // the password alone
            }
        }
    }
    replaceAll(header_, kMask);
    return text;
}

}  // namespace mes
