// The station and the factory's MES: the board label's route check before a press, the press's
// report after it, and the MES's state beside the database's.
#include <exception>

#include "mes/station_mes.h"
#include "station/check/error_codes.h"
#include "station/press/station.h"
#include "station/run/station_log.h"

namespace station {

namespace {

bool MesOn(const StationSettings& settings) {
    return settings.mes && settings.mes->problem.empty() && settings.chip.label.on;
}

}  // namespace

bool Station::MesRouteChecks() const {
    return MesOn(settings_);
}

void Station::ConfigureMes() {
    if (!settings_.mes) {
        return;
    }
    if (!mes_) {
        mes_ = std::make_unique<mes::StationMes>(paths_.App_Path, title_, databaseChanged_);
    }
    mes_->Configure(*settings_.mes);
}

bool Station::RouteCheck(const std::string& label, std::string& mesCheck, PressOutcome& outcome,
                         RunObserver& observer) {
    if (!MesOn(settings_) || !mes_) {
        return true;
    }
    const mes::Answer answer = MesCheckAnswer(
        {{"label", label}, {"time", record::RecordTime(log4me::Now().local)}}, observer);
    DatabaseState();  // the call's lines logged
    using Kind = mes::Answer::Kind;
    if (answer.kind == Kind::kOk) {
        mesCheck = "ok";
        return true;
    }
    if (answer.kind == Kind::kRefused) {
        outcome.labelRefusal = "ERROR:MES不允许该条码在本工位烧写：" + answer.text;
    } else if (settings_.mes->continueUnreachable) {
        LogErrorText("MES进站检查未得到应答（" + answer.text +
                     "），按config.ini的check_unreachable=continue继续烧写");
        mesCheck = "unreachable";
        return true;
    } else {
        outcome.labelRefusal = "ERROR:MES进站检查未得到应答（" + answer.text +
                               "），该条码不能烧写；MES恢复后请重新扫描。";
    }
    LogErrorText(outcome.labelRefusal);
    return false;
}

std::string Station::ReportToMes(const record::ProductionRecord& row) {
    try {
        const std::string key = mes_->Report({
            {"label", row.boardLabel},
            {"verdict", row.pass ? "PASS" : "FAIL"},
            {"error_code", row.errorCode ? std::to_string(*row.errorCode) : ""},
            {"serial_number", row.serialNumber ? std::to_string(*row.serialNumber) : ""},
            {"device_id", row.deviceId},
            {"image", paths_.Hex_Name},
            {"checksum", row.checksum},
            {"time", record::RecordTime(log4me::Now().local)},
            {"fixture", row.fixture},
        });
        LogInfoText("MES报告已保存待发送：" + key);
        return {};
    } catch (const std::exception& error) {
        const std::string line = std::string("ERROR:本次烧写给MES的报告未能保存：") + error.what();
        LogErrorText(line);
        return line;
    }
}

}  // namespace station
