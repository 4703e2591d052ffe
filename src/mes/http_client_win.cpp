// The MES's calls through WinHTTP: the system's certificate store and its WinHTTP proxy settings.
#include "platform/windows_headers.h"

#include <winhttp.h>

#include <memory>

#include "mes/http_client.h"
#include "platform/utf16.h"

namespace mes {

namespace {

struct CloseHandle {
    void operator()(HINTERNET handle) const { WinHttpCloseHandle(handle); }
};
using Handle = std::unique_ptr<void, CloseHandle>;

HttpResponse Failed(DWORD code, const char* step) {
    HttpResponse response;
    switch (code) {
        case ERROR_WINHTTP_TIMEOUT:
            response.failure = HttpResponse::Failure::kTimedOut;
            break;
        case ERROR_WINHTTP_SECURE_FAILURE:
        case ERROR_WINHTTP_SECURE_INVALID_CA:
        case ERROR_WINHTTP_SECURE_CERT_CN_INVALID:
        case ERROR_WINHTTP_SECURE_CERT_DATE_INVALID:
        case ERROR_WINHTTP_SECURE_INVALID_CERT:
        case ERROR_WINHTTP_SECURE_CERT_REVOKED:
            response.failure = HttpResponse::Failure::kCertificate;
            break;
        default:
            response.failure = HttpResponse::Failure::kUnreachable;
    }
    response.error = std::string(step) + " failed, WinHTTP error " + std::to_string(code);
    return response;
}

// The answer's status and body, read up to kLargestAnswer.
HttpResponse Receive(HINTERNET request) {
    HttpResponse response;
    DWORD status = 0;
    DWORD size = sizeof status;
    if (!WinHttpQueryHeaders(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                             WINHTTP_HEADER_NAME_BY_INDEX, &status, &size,
                             WINHTTP_NO_HEADER_INDEX)) {
        return Failed(GetLastError(), "WinHttpQueryHeaders");
    }
    response.status = static_cast<long>(status);
    char buffer[8192];
    for (;;) {
        DWORD read = 0;
        if (!WinHttpReadData(request, buffer, sizeof buffer, &read)) {
            HttpResponse failed = Failed(GetLastError(), "WinHttpReadData");
            failed.status = response.status;
            return failed;
        }
        if (read == 0) {
            return response;
        }
        if (response.body.size() + read > kLargestAnswer) {
            response.body.append(buffer, kLargestAnswer - response.body.size());
            response.failure = HttpResponse::Failure::kOversized;
            response.error = "the answer is larger than 64 KiB";
            return response;
        }
        response.body.append(buffer, read);
    }
}

// The request on an open connection, and its answer.
HttpResponse Send(HINTERNET connection, const URL_COMPONENTS& parts, const std::wstring& path,
                  const HttpRequest& request) {
    const Handle call(
        WinHttpOpenRequest(connection, L"POST", path.c_str(), nullptr, WINHTTP_NO_REFERER,
                           WINHTTP_DEFAULT_ACCEPT_TYPES,
                           parts.nScheme == INTERNET_SCHEME_HTTPS ? WINHTTP_FLAG_SECURE : 0));
    if (!call) {
        return Failed(GetLastError(), "WinHttpOpenRequest");
    }
    if (parts.dwUserNameLength > 0) {
        const std::wstring user(parts.lpszUserName, parts.dwUserNameLength);
        const std::wstring password(parts.lpszPassword, parts.dwPasswordLength);
        WinHttpSetCredentials(call.get(), WINHTTP_AUTH_TARGET_SERVER, WINHTTP_AUTH_SCHEME_BASIC,
                              user.c_str(), password.c_str(), nullptr);
    }
    std::wstring headers = L"Content-Type: application/json; charset=utf-8\r\n";
    for (const std::string& header : request.headers) {
        headers += os::win32::Widen(header) + L"\r\n";
    }
    if (!WinHttpSendRequest(call.get(), headers.c_str(), static_cast<DWORD>(headers.size()),
                            const_cast<char*>(request.body.data()),
                            static_cast<DWORD>(request.body.size()),
                            static_cast<DWORD>(request.body.size()), 0)) {
        return Failed(GetLastError(), "WinHttpSendRequest");
    }
    if (!WinHttpReceiveResponse(call.get(), nullptr)) {
        return Failed(GetLastError(), "WinHttpReceiveResponse");
    }
    return Receive(call.get());
}

}  // namespace

HttpResponse Post(const HttpRequest& request) {
    const std::wstring url = os::win32::Widen(request.url);
    URL_COMPONENTS parts = {};
    parts.dwStructSize = sizeof parts;
    parts.dwHostNameLength = parts.dwUrlPathLength = parts.dwExtraInfoLength = 1;
    parts.dwUserNameLength = parts.dwPasswordLength = 1;
    if (!WinHttpCrackUrl(url.c_str(), 0, 0, &parts)) {
        return Failed(GetLastError(), "WinHttpCrackUrl");
    }
    const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
    const std::wstring path = std::wstring(parts.lpszUrlPath, parts.dwUrlPathLength) +
                              std::wstring(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    const Handle session(WinHttpOpen(L"romtool", WINHTTP_ACCESS_TYPE_DEFAULT_PROXY,
                                     WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
    if (!session) {
        return Failed(GetLastError(), "WinHttpOpen");
    }
    const int timeout = static_cast<int>(request.timeout.count());
    WinHttpSetTimeouts(session.get(), timeout, timeout, timeout, timeout);
    const Handle connection(WinHttpConnect(session.get(), host.c_str(), parts.nPort, 0));
    if (!connection) {
        return Failed(GetLastError(), "WinHttpConnect");
    }
    return Send(connection.get(), parts, path, request);
}

}  // namespace mes
