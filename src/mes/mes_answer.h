// What the MES's answer to a call means. An answer is its JSON body's ok_field equal to
// ok_value (a number or a string written the same); anything else is a refusal, its text the
// message_field's, or what came (cut) when the answer does not say. A server error (5xx) and
// no answer at all are told apart: a report is sent again after them, a check does not wait.
#pragma once

#include <string>

#include "mes/http_client.h"
#include "mes/mes_settings.h"

namespace mes {

struct Answer {
    enum class Kind {
        kOk,
        kRefused,      // the MES said no, or answered what is no answer; text says what
        kServerError,  // a 5xx status: the MES is there but cannot answer now
        kUnreachable,  // no answer at all: not reached, or not within the timeout
    };
    Kind kind = Kind::kUnreachable;
    std::string text;  // for the window and the log; "" when ok
};

Answer ReadAnswer(const HttpResponse& response, const MesSettings& settings);

// At most about limit bytes of text, cut at a UTF-8 character, "…" after a cut.
std::string Cut(const std::string& text, std::size_t limit = 200);

}  // namespace mes
