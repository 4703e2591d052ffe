// The MES's calls through libcurl.
#include <curl/curl.h>

#include <memory>
#include <mutex>

#include "mes/http_client.h"

namespace mes {

namespace {

struct Received {
    std::string body;
    bool oversized = false;
};

std::size_t Receive(char* data, std::size_t size, std::size_t count, void* user) {
    auto& received = *static_cast<Received*>(user);
    const std::size_t bytes = size * count;
    if (received.body.size() + bytes > kLargestAnswer) {
        received.body.append(data, kLargestAnswer - received.body.size());
        received.oversized = true;
        return 0;  // ends the transfer
    }
    received.body.append(data, bytes);
    return bytes;
}

HttpResponse::Failure FailureOf(CURLcode code, const Received& received) {
    if (received.oversized) {
        return HttpResponse::Failure::kOversized;
    }
    switch (code) {
        case CURLE_OPERATION_TIMEDOUT:
            return HttpResponse::Failure::kTimedOut;
        case CURLE_PEER_FAILED_VERIFICATION:
        case CURLE_SSL_CACERT_BADFILE:
        case CURLE_SSL_CERTPROBLEM:
        case CURLE_SSL_CONNECT_ERROR:
            return HttpResponse::Failure::kCertificate;
        default:
            return HttpResponse::Failure::kUnreachable;
    }
}

}  // namespace

HttpResponse Post(const HttpRequest& request) {
    static std::once_flag initialized;
    std::call_once(initialized, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    const std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(),
                                                                   &curl_easy_cleanup);
    HttpResponse response;
    if (!curl) {
        response.failure = HttpResponse::Failure::kUnreachable;
        response.error = "libcurl could not start a call";
        return response;
    }
    curl_slist* list = curl_slist_append(nullptr, "Content-Type: application/json; charset=utf-8");
    for (const std::string& header : request.headers) {
        list = curl_slist_append(list, header.c_str());
    }
    const std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)> headers(list,
                                                                              &curl_slist_free_all);
    Received received;
    char error[CURL_ERROR_SIZE] = {};
    CURL* call = curl.get();
    curl_easy_setopt(call, CURLOPT_URL, request.url.c_str());
    curl_easy_setopt(call, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(call, CURLOPT_POST, 1L);
    curl_easy_setopt(call, CURLOPT_POSTFIELDS, request.body.data());
    curl_easy_setopt(call, CURLOPT_POSTFIELDSIZE_LARGE,
                     static_cast<curl_off_t>(request.body.size()));
    curl_easy_setopt(call, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(call, CURLOPT_TIMEOUT_MS, static_cast<long>(request.timeout.count()));
    curl_easy_setopt(call, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(call, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(call, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(call, CURLOPT_WRITEFUNCTION, &Receive);
    curl_easy_setopt(call, CURLOPT_WRITEDATA, &received);
    curl_easy_setopt(call, CURLOPT_ERRORBUFFER, error);
    const CURLcode code = curl_easy_perform(call);
    curl_easy_getinfo(call, CURLINFO_RESPONSE_CODE, &response.status);
    response.body = std::move(received.body);
    if (code != CURLE_OK || received.oversized) {
        response.failure = FailureOf(code, received);
        response.error = error[0] != '\0' ? error : curl_easy_strerror(code);
    }
    return response;
}

}  // namespace mes
