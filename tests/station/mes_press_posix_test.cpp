// A station with the factory's MES (the stand-in MES): the route check gates the press before any
// number or tool, the window says what the MES said, the report of every press reaches the MES in
// order once it is back, and the row tells how the press was let in.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "mes_standin_posix.h"
#include "record/record_columns.h"
#include "station_fixture.h"

using namespace station;

using record::Column;
using record::IndexOf;
using test_support::Eventually;
using test_support::StandinMes;
using ::testing::HasSubstr;

namespace {

class MesStation : public StationTest {
protected:
    void SetUp() override {
        standin_ = std::make_unique<StandinMes>(mesFolder_);
        port_ = standin_->Port();
        config_ = Station().Read("config.ini") +
                  "[trace]\r\nlabel=yes\r\n[serial]\r\naddress=0x10001080\r\nfirst=100000\r\nlast="
                  "100009\r\n"
                  "[mes]\r\ncheck_url=" +
                  standin_->Url("/api/check") + "\r\nreport_url=" + standin_->Url("/api/complete") +
                  "\r\nstation=L3-S07\r\nstep=PROGRAM\r\ntimeout_ms=500\r\n";
        station_->Write("config.ini", config_);
    }
    void Press(TRomForm& form, const std::string& label) {
        view_.label = label;
        form.Handle(&TRomForm::Button_StartClick);
    }
    std::vector<std::string> Reported() const {
        std::vector<std::string> labels;
        for (const auto& call : standin_->Taken("/api/complete")) {
            labels.push_back(call.sn);
        }
        return labels;
    }

    test_support::TempFolder mesFolder_;
    std::unique_ptr<StandinMes> standin_;
    int port_ = 0;
    std::string config_;
};

TEST_F(MesStation, TheRouteCheckGatesThePressAndEveryReportArrivesInOrder) {
    TRomForm& form = Shown();
    EXPECT_THAT(view_.database, HasSubstr("MES："));
    Press(form, "PCB-1");
    EXPECT_EQ(view_.verdict, "PASS") << view_.memo;

    standin_->Control(R"({"refuse":["PCB-2"]})");
    const std::size_t calls = ToolCalls().size();
    Press(form, "PCB-2");
    EXPECT_EQ(view_.memo, "ERROR:MES不允许该条码在本工位烧写：条码PCB-2不存在");
    EXPECT_EQ(view_.label, "PCB-2");  // kept for a rescan
    EXPECT_EQ(ToolCalls().size(), calls);
    EXPECT_THAT(view_.nextSerial, HasSubstr("100001"));  // no number used
    EXPECT_THAT(Log(), HasSubstr("MES进站检查 PCB-2：条码PCB-2不存在"));

    standin_.reset();  // away: the route check is a gate
    Press(form, "PCB-3");
    EXPECT_THAT(view_.memo, HasSubstr("ERROR:MES进站检查未得到应答（无法连接"));
    EXPECT_EQ(ToolCalls().size(), calls);

    station_->Write("config.ini", config_ + "check_unreachable=continue\r\n");
    form.Handle(&TRomForm::Button_GetJlinkClick);  // config.ini is read at the refresh
    Press(form, "PCB-3");
    EXPECT_EQ(view_.verdict, "PASS") << view_.memo;
    EXPECT_THAT(Log(), HasSubstr("check_unreachable=continue继续烧写"));
    form.DatabaseChanged();
    EXPECT_THAT(view_.database, HasSubstr("1 份报告待发送"));

    const test_support::CsvRows rows = RecordRows();
    ASSERT_EQ(rows.size(), 3u);  // the header, PCB-1 and PCB-3
    EXPECT_EQ(rows[1][IndexOf(Column::kMesCheck)], "ok");
    EXPECT_EQ(rows[2][IndexOf(Column::kBoardLabel)], "PCB-3");
    EXPECT_EQ(rows[2][IndexOf(Column::kSerialNumber)], "100001");
    EXPECT_EQ(rows[2][IndexOf(Column::kMesCheck)], "unreachable");

    standin_ = std::make_unique<StandinMes>(mesFolder_, port_);  // back
    ASSERT_TRUE(Eventually([&] { return Reported().size() == 2; }));
    EXPECT_EQ(Reported(), (std::vector<std::string>{"PCB-1", "PCB-3"}));
    const std::string report = standin_->Taken("/api/complete").back().body;
    for (const char* field :
         {R"("result":"PASS")", R"("serial_number":"100001")", R"("station":"L3-S07")",
          R"("step":"PROGRAM")", R"("image":"merge.hex")"}) {
        EXPECT_THAT(report, HasSubstr(field));
    }
    form.DatabaseChanged();
    EXPECT_THAT(view_.database, HasSubstr("MES：已连接"));
}

TEST_F(MesStation, NeedsTheBoardLabel) {
    station_->Write("config.ini", config_.substr(0, config_.find("[trace]")) +
                                      config_.substr(config_.find("[serial]")));
    TRomForm& form = Shown();
    EXPECT_EQ(form.State().Error_Code, 114);
    EXPECT_THAT(view_.memo, HasSubstr("config.ini中有[mes]，[trace]中却没有label=yes"));
    EXPECT_TRUE(standin_->Received().empty());
}

}  // namespace
