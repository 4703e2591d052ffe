// One HTTP POST with a JSON body, as the station calls the MES: libcurl on Linux, WinHTTP on
// Windows (CMake chooses the file). Certificates are always verified; an answer is read up to
// kLargestAnswer and no further.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

namespace mes {

inline constexpr std::size_t kLargestAnswer = 64 * 1024;

struct HttpRequest {
    std::string url;
    std::string body;
    std::vector<std::string> headers;  // "Name: value"
    std::chrono::milliseconds timeout{3000};
};

struct HttpResponse {
    enum class Failure {
        kNone,         // an answer came: status and body
        kTimedOut,     // no whole answer within the timeout
        kUnreachable,  // no connection (refused, dropped, no such host)
        kCertificate,  // the server's certificate did not verify
        kOversized,    // the answer is larger than kLargestAnswer; body holds its start
    };
    Failure failure = Failure::kNone;
    long status = 0;
    std::string body;
    std::string error;  // the transport's reason, when failure is not kNone
};

HttpResponse Post(const HttpRequest& request);

}  // namespace mes
