#include "mes/mes_answer.h"

#include <nlohmann/json.hpp>

namespace mes {

namespace {

using Json = nlohmann::json;

Answer Refused(std::string text) {
    return {Answer::Kind::kRefused, std::move(text)};
}

// A field's value as config.ini writes it: a string as it is, anything else as JSON.
std::string Written(const Json& value) {
    return value.is_string() ? value.get<std::string>()
                             : value.dump(-1, ' ', false, Json::error_handler_t::replace);
}

Answer Unanswered(const HttpResponse& response) {
    switch (response.failure) {
        case HttpResponse::Failure::kTimedOut:
            return {Answer::Kind::kUnreachable, "没有按时应答（" + response.error + "）"};
        case HttpResponse::Failure::kCertificate:
            return Refused("证书未通过验证：" + response.error);
        case HttpResponse::Failure::kOversized:
            return Refused("应答超过" + std::to_string(kLargestAnswer / 1024) + " KiB：" +
                           Cut(response.body));
        default:
            return {Answer::Kind::kUnreachable, "无法连接（" + response.error + "）"};
    }
}

}  // namespace

std::string Cut(const std::string& text, std::size_t limit) {
    if (text.size() <= limit) {
        return text;
    }
    std::size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) {
        --end;  // not inside a character
    }
    return text.substr(0, end) + "…";
}

Answer ReadAnswer(const HttpResponse& response, const MesSettings& settings) {
    if (response.failure != HttpResponse::Failure::kNone) {
        return Unanswered(response);
    }
    const std::string status = "HTTP " + std::to_string(response.status);
    if (response.status >= 500) {
        return {Answer::Kind::kServerError, status + "：" + Cut(response.body)};
    }
    if (response.status < 200 || response.status > 299) {
        return Refused(status + "：" + Cut(response.body));
    }
    const Json body = Json::parse(response.body, nullptr, false);
    if (body.is_discarded() || !body.is_object()) {
        return Refused("应答不是JSON对象：" + Cut(response.body));
    }
    const auto ok = body.find(settings.okField);
    if (ok == body.end()) {
        return Refused("应答中没有" + settings.okField + "：" + Cut(response.body));
    }
    if (Written(*ok) == settings.okValue) {
        return {Answer::Kind::kOk, ""};
    }
    const auto message = body.find(settings.messageField);
    return Refused(message != body.end() ? Cut(Written(*message), 1000)
                                         : settings.okField + "=" + Cut(Written(*ok)));
}

}  // namespace mes
