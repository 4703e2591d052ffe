#include "odbc/secrets.h"

#include <algorithm>
#include <utility>

#include "platform/text.h"

namespace odbc {

namespace {

constexpr std::string_view kMask = "***";

// One "key=value" of a connection string: where its value starts and ends.
struct Attribute {
    std::string_view key;  // trimmed
    std::size_t valueBegin = 0;
    std::size_t valueEnd = 0;
};

// Calls take(attribute) for each attribute. A value in braces runs to the brace that closes it
// ("}}" inside stands for one "}"), semicolons included.
template <typename Take>
void ForEachAttribute(std::string_view text, Take&& take) {
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t equals = text.find('=', at);
        if (equals == std::string_view::npos) {
            return;
        }
        Attribute attribute;
        attribute.key = os::TrimmedOf(text.substr(at, equals - at), " \t;");
        std::size_t begin = equals + 1;
        while (begin < text.size() && (text[begin] == ' ' || text[begin] == '\t')) {
            ++begin;
        }
        std::size_t end = begin;
        if (end < text.size() && text[end] == '{') {
            for (++end; end < text.size(); ++end) {
                if (text[end] == '}') {
                    if (end + 1 < text.size() && text[end + 1] == '}') {
                        ++end;
                        continue;
                    }
                    ++end;
                    break;
                }
            }
        }
        end = std::min(text.find(';', end), text.size());
        attribute.valueBegin = begin;
        attribute.valueEnd = end;
        take(attribute);
        at = end + 1;
    }
}

bool IsPasswordKey(std::string_view key) {
    const std::string lower = os::AsciiLower(key);
    return lower == "pwd" || lower == "password";
}

}  // namespace

std::string MaskedConnectionString(std::string_view connectionString) {
    std::string masked;
    std::size_t copied = 0;
    ForEachAttribute(connectionString, [&](const Attribute& attribute) {
        if (IsPasswordKey(attribute.key)) {
            masked.append(connectionString.substr(copied, attribute.valueBegin - copied));
            masked.append(kMask);
            copied = attribute.valueEnd;
        }
    });
    masked.append(connectionString.substr(copied));
    return masked;
}

Secrets::Secrets(std::string_view connectionString) {
    ForEachAttribute(connectionString, [&](const Attribute& attribute) {
        if (!IsPasswordKey(attribute.key)) {
            return;
        }
        std::string value(
            os::TrimmedOf(connectionString.substr(attribute.valueBegin,
                                                  attribute.valueEnd - attribute.valueBegin),
                          " \t"));
        if (value.size() >= 2 && value.front() == '{' && value.back() == '}') {
            passwords_.push_back(value);
            std::string inner;  // as the driver takes it: "}}" stands for "}"
            for (std::size_t i = 1; i + 1 < value.size(); ++i) {
                inner += value[i];
                i += value[i] == '}' && value[i + 1] == '}' ? 1 : 0;
            }
            value = std::move(inner);
        }
        if (!value.empty()) {
            passwords_.push_back(value);
        }
    });
    // Longest first, so that a password holding another is masked whole.
    std::sort(passwords_.begin(), passwords_.end(),
              [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
}

std::string Secrets::Masked(std::string text) const {
    for (const std::string& password : passwords_) {
        for (std::size_t at = text.find(password); at != std::string::npos;
             at = text.find(password, at + kMask.size())) {
            text.replace(at, password.size(), kMask);
        }
    }
    return text;
}

}  // namespace odbc
