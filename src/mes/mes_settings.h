// What config.ini says about the factory's MES, read again at every check like the other
// sections. [mes] is on once it names a URL; both are needed:
//
//     [mes]
//     check_url=http://mes:8080/api/check      ; may this board enter this step?
//     report_url=http://mes:8080/api/complete  ; the press's result
//     station=L3-S07                           ; the names the MES knows the station and step by
//     step=PROGRAM
//     timeout_ms=3000
//     check_unreachable=continue               ; go on without the MES's answer (default: stop)
//     header=X-Api-Key: ...                    ; never logged, shown or recorded
//     check_body=... report_body=...           ; JSON templates (body_template.h)
//     ok_field=errorcode ok_value=0 message_field=content
#pragma once

#include <chrono>
#include <optional>
#include <string>

namespace mes {

inline constexpr std::chrono::milliseconds kDefaultTimeout{3000};
extern const char* const kDefaultCheckBody;
extern const char* const kDefaultReportBody;

struct MesSettings {
    std::string checkUrl;
    std::string reportUrl;
    std::chrono::milliseconds timeout = kDefaultTimeout;
    std::string station;  // never empty: the title when config.ini names none
    std::string step;
    std::string checkBody = kDefaultCheckBody;
    std::string reportBody = kDefaultReportBody;
    std::string okField = "errorcode";
    std::string okValue = "0";
    std::string messageField = "content";
    std::string header;  // "Name: value", or ""; a secret
    bool continueUnreachable = false;
    // A key set wrongly, as the operator's 114 message says it ("" when all is well).
    std::string problem;

    bool operator==(const MesSettings& other) const;
    bool operator!=(const MesSettings& other) const { return !(*this == other); }
};

// [mes] of the copy titled title, read now from the file at configPath; none without a URL.
std::optional<MesSettings> ReadMesSettings(const std::string& configPath, const std::string& title);

// The URL as it may be shown: credentials ("user:password@") replaced by "***@".
std::string MaskedUrl(const std::string& url);

// The settings' secrets (the header's value, the URLs' credentials) masked in any text.
class Secrets {
public:
    Secrets() = default;
    explicit Secrets(const MesSettings& settings);
    std::string Masked(std::string text) const;

private:
    std::string header_;
    std::string checkUrl_;
    std::string reportUrl_;
};

}  // namespace mes
