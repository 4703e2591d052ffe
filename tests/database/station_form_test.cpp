// The station itself (TRomForm, the stand-in programmer) with the factory's database in
// config.ini: each press's row arrives with its number from the pool, the press never waits for
// the database, and the window's label and the log say what the database does.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>

#include "database_fixture.h"
#include "log4me/log4me.h"
#include "platform/text.h"
#include "record/production_record.h"
#include "station/check/database_texts.h"
#include "station/form/MainForm.h"
#include "station_folder.h"

using namespace station;

namespace {

using database_test::Admin;
using testing::HasSubstr;

// The daily log's bytes of text (the system's code page on Windows).
std::string Logged(const std::string& text) {
    return os::ToAnsi(text).bytes();
}

// What the tests read of the window; PostDatabaseChange wakes the test's thread, which plays
// the window's.
class DatabaseView : public StationView {
public:
    std::string verdict;
    std::string memo;
    std::string nextSerial;
    std::string database;

    void SetVerdictCaption(const std::string& caption) override { verdict = caption; }
    void SetMemoText(const std::string& text) override { memo = text; }
    void SetNextSerialText(const std::string& text) override { nextSerial = text; }
    void SetDatabaseText(const std::string& text) override { database = text; }
    void PostDatabaseChange() override {
        const std::lock_guard<std::mutex> lock(mutex_);
        ++posted_;
        changed_.notify_all();
    }
    // Waits for the next post, at most until deadline; false when none came.
    bool WaitForPost(std::chrono::steady_clock::time_point deadline) {
        std::unique_lock<std::mutex> lock(mutex_);
        const std::uint64_t seen = taken_;
        const bool came = changed_.wait_until(lock, deadline, [&] { return posted_ > seen; });
        taken_ = posted_;
        return came;
    }

    void SetVerdictFont(const FontSpec&, Rgb) override {}
    void SetSerialText(const std::string&) override {}
    void SetHexPathText(const std::string&) override {}
    void SetCommandText(const std::string&) override {}
    void SetChecksumEnabled(bool) override {}
    void SetStartEnabled(bool) override {}
    bool EraseChecked() const override { return true; }
    void ShowErrorBox(const std::string&, const std::string&) override {}
    void ShowChecksumBox(const std::string&, const std::string&) override {}
    std::string ChooseImage(const std::string&) override { return {}; }
    void ShowRunOutput(const std::string&) override {}
    void SetElapsedText(const std::string&) override {}
    void SetCountsText(const std::string&) override {}
    std::string LabelText() const override { return {}; }
    void SetLabelText(const std::string&) override {}
    void SetLabelVisible(bool) override {}
    void FocusLabel() override {}
    void SelectLabelText() override {}
    void RepaintKeepingInput() override {}
    void DispatchQueuedInput() override {}
    void CloseWindow() override {}
    void SetBusy(bool) override {}
    void SetTicking(bool) override {}

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::uint64_t posted_ = 0;
    std::uint64_t taken_ = 0;
};

class StationFormTest : public testing::Test {
protected:
    void SetUp() override {
        database_test::EmptyTables();
        baseConfig_ = station_.Read("config.ini");
        log4me::Start(station_.Path());
    }
    void TearDown() override {
        form_.reset();
        log4me::Stop();
        database_test::BringDatabaseBack();
    }

    // Starts the station with these lines added to its config.ini (written anew, so that a
    // profile cache sees the change).
    TRomForm& Shown(const std::string& configLines) {
        form_.reset();
        station_.Write("config.ini", baseConfig_ + configLines);
        form_ = std::make_unique<TRomForm>(view_, station_.Path() + "RomTool.exe");
        form_->FormCreate();
        form_->Handle(&TRomForm::FormShow);
        return *form_;
    }
    static std::string DatabaseLines() {
        return "[database]\r\nconnection=" + database_test::StationConnection() +
               "\r\nstation=L3-S07\r\n";
    }
    std::string Press() {
        form_->Handle(&TRomForm::Button_StartClick);
        return view_.verdict;
    }
    // Plays the window: takes the database's posts until the label says expected.
    bool LabelComesTo(const std::string& expected) {
        const auto deadline = std::chrono::steady_clock::now() + database_test::kGenerous;
        form_->DatabaseChanged();
        while (view_.database != expected && view_.WaitForPost(deadline)) {
            form_->DatabaseChanged();
        }
        return view_.database == expected;
    }
    static std::vector<std::string> Arrived() {
        std::vector<std::string> rows;
        for (const auto& row : Admin("SELECT station, verdict, serial_number FROM "
                                     "romtool.production_record ORDER BY id")) {
            rows.push_back(row[0].value_or("") + " " + row[1].value_or("") + " " +
                           row[2].value_or("-"));
        }
        return rows;
    }

    test_support::StationFolder station_;
    std::string baseConfig_;
    DatabaseView view_;
    std::unique_ptr<TRomForm> form_;
};

TEST_F(StationFormTest, PressesReachTheDatabaseWithNumbersFromThePool) {
    database_test::AddPool("board", 5000, 5999);
    Shown(DatabaseLines() + "[serial]\r\naddress=0x10001080\r\npool=board\r\nblock=2\r\n");
    for (int press = 0; press < 3; ++press) {
        EXPECT_EQ(Press(), "PASS") << view_.memo;
    }
    EXPECT_EQ(view_.nextSerial, "下一序列号：5003");
    ASSERT_TRUE(LabelComesTo("数据库：已连接")) << view_.database;
    EXPECT_EQ(Arrived(), (std::vector<std::string>{"L3-S07 PASS 5000", "L3-S07 PASS 5001",
                                                   "L3-S07 PASS 5002"}));
    EXPECT_THAT(station_.TodaysLog(), HasSubstr(Logged("数据库：已连接")));
    const std::string connection = database_test::StationConnection();
    const std::string password = connection.substr(connection.find("Pwd=") + 4);
    EXPECT_THAT(station_.TodaysLog(), testing::Not(HasSubstr(password)));
}

TEST_F(StationFormTest, ThePressGoesOnWhileTheDatabaseIsAwayAndItsRowFollows) {
    database_test::TakeDatabaseAway();
    Shown(DatabaseLines());
    EXPECT_EQ(Press(), "PASS");
    ASSERT_TRUE(LabelComesTo(station::StatusText(form_->Database()->Status())));
    EXPECT_THAT(view_.database, testing::StartsWith("数据库：无法连接（"));
    EXPECT_THAT(view_.database, HasSubstr("1 条待发送"));

    database_test::BringDatabaseBack();
    ASSERT_TRUE(LabelComesTo("数据库：已连接")) << view_.database;
    EXPECT_EQ(Arrived(), std::vector<std::string>{"L3-S07 PASS -"});
    EXPECT_THAT(station_.TodaysLog(), HasSubstr(Logged("数据库：无法连接（")));
}

// Numbers used up while the database cannot give more: nothing is programmed (114), and the
// press has its FAIL row.
TEST_F(StationFormTest, NoNumberLeftAndNoDatabaseStopsThePress) {
    database_test::TakeDatabaseAway();
    Shown(DatabaseLines() + "[serial]\r\naddress=0x10001080\r\npool=board\r\n");
    EXPECT_EQ(Press(), "FAIL");
    EXPECT_THAT(view_.memo, HasSubstr("ERROR:本工位的序列号号段已用完，"));
    EXPECT_EQ(station_.StandInCalls().find("--program"), std::string::npos);
    EXPECT_THAT(station_.Read("logs/" + record::RecordFileName(log4me::Now().local)),
                HasSubstr("FAIL"));
}

}  // namespace
