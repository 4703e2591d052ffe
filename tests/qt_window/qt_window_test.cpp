// The Qt window: every control of the layout table, and what it shows of the station's calls.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <utility>

#include <qpa/qwindowsysteminterface.h>
#include <QAbstractButton>
#include <QCheckBox>
#include <QFileDialog>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTextDocument>
#include <QTimer>

#include "log4me/log4me.h"
#include "platform/paths.h"
#include "shell/layout_table.h"
#include "shell/qt/qt_station_window.h"
#include "shell/qt/qt_text.h"
#include "station/check/database_texts.h"
#include "station/run/verdict.h"
#include "station_folder.h"
#include "tool/run_command.h"

using namespace station;
using namespace shell;

namespace {

// The widest state the database label shows: a Chinese system's reason, cut short.
const std::string kLongestDatabaseText = station::StatusText(
    {database::DatabaseStatus::State::kUnreachable, 99999, 999,
     "[Microsoft][ODBC 驱动程序管理器] 未发现数据源名称并且未指定默认驱动程序"});

QColor TextColour(const QWidget& widget) {
    return widget.palette().color(QPalette::WindowText);
}

// The widest the elapsed label gets: a programming run's limit in seconds, a batch's steps.
const std::string kWidestElapsedText = "已运行 300 秒  步骤 12/12 100%";

const QColor kGreen(0, 255, 0);
const QColor kRed(255, 0, 0);

TEST(QtWindow, BuildsEveryControlOfTheTable) {
    QtStationWindow window("/station/RomTool");
    EXPECT_EQ(window.windowTitle(), "NRF系列芯片ROM烧写工具 V1.0（限内部使用） ");
    EXPECT_EQ(window.size(), QSize(704, 491));
    EXPECT_EQ(window.minimumSize(), window.maximumSize());
    EXPECT_FALSE(window.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(window.font().family(), "Tahoma");
    EXPECT_EQ(window.font().pixelSize(), 11);

    for (const ControlSpec& entry : kLayout) {
        QWidget* control = window.Control(entry.id);
        ASSERT_NE(control, nullptr) << entry.name;
        const QString name = QString::fromUtf8(entry.name.data(), qsizetype(entry.name.size()));
        const QString caption =
            QString::fromUtf8(entry.caption.data(), qsizetype(entry.caption.size()));
        EXPECT_EQ(control->objectName(), name);
        EXPECT_EQ(control->parentWidget(), window.Control(entry.parent)) << entry.name;
        EXPECT_TRUE(control->parentWidget()->rect().contains(control->geometry())) << entry.name;
        EXPECT_EQ(control->isHidden(), entry.hidden) << entry.name;
        if (auto* group = qobject_cast<QGroupBox*>(control)) {
            EXPECT_EQ(group->title(), caption);
        } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
            EXPECT_EQ(button->text(), caption);
        } else if (auto* label = qobject_cast<QLabel*>(control)) {
            EXPECT_EQ(label->text(), caption);
        }
        if (entry.font) {
            EXPECT_EQ(control->font().pixelSize(), -entry.font->height) << entry.name;
        }
    }
    auto* panel = window.ControlAs<QLabel>(ControlId::Panel_Result);
    EXPECT_EQ(panel->alignment(), Qt::AlignCenter);
    EXPECT_EQ(TextColour(*panel), kGreen);
    EXPECT_FALSE(panel->font().bold());
    auto* memo = window.ControlAs<QPlainTextEdit>(ControlId::Memo_Output);
    EXPECT_EQ(memo->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    EXPECT_EQ(memo->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_TRUE(window.EraseChecked());

    const std::vector<ControlId> tabs = TabSequence();
    for (std::size_t i = 0; i + 1 < tabs.size(); ++i) {
        QWidget* next = window.Control(tabs[i])->nextInFocusChain();
        while (!(next->focusPolicy() & Qt::TabFocus)) {
            next = next->nextInFocusChain();
        }
        EXPECT_EQ(next, window.Control(tabs[i + 1])) << i;
    }
    // The file dialog is made when it is first needed, not with the window.
    EXPECT_EQ(window.OpenDialogHex(), nullptr);
    EXPECT_TRUE(window.findChildren<QFileDialog*>().isEmpty());
}

// The groups fill the window from the top at its whole width, the bottom panel its foot, and a
// click lands on each control where the end-to-end scripts press it (scripts/lib/station.sh).
TEST(QtWindow, ControlsSitWhereTheyAreClicked) {
    QtStationWindow window("/station/RomTool");
    int top = 0;
    for (const ControlId id :
         {ControlId::GroupBox_Jlink, ControlId::GroupBox_Hex, ControlId::GroupBox_Para,
          ControlId::GroupBox_Output, ControlId::Panel1_Exec}) {
        const QRect g = window.Control(id)->geometry();
        EXPECT_EQ(g, QRect(0, top, 704, g.height())) << int(id);
        top += g.height();
    }
    EXPECT_EQ(top, 491);
    const QRect verdict = window.Control(ControlId::Panel_Result)->geometry();
    const QRect memo = window.Control(ControlId::Memo_Output)->geometry();
    EXPECT_EQ(memo.top(), verdict.bottom() + 1);  // the text area takes what the verdict leaves
    EXPECT_EQ(memo.width(), verdict.width());

    const std::pair<ControlId, QPoint> clicks[] = {
        {ControlId::Button_GetJlink, {645, 38}}, {ControlId::Button_Select, {558, 116}},
        {ControlId::Button_CRC, {647, 117}},     {ControlId::Button_Help, {646, 192}},
        {ControlId::cb_erase, {104, 461}},       {ControlId::Button_Start, {357, 462}},
        {ControlId::Button_Exit, {645, 460}},
    };
    for (const auto& [id, at] : clicks) {
        EXPECT_EQ(window.childAt(at), window.Control(id)) << int(id);
    }
}

TEST(QtWindow, PaintsWhatTheStationTellsIt) {
    QtStationWindow window("/station/RomTool");
    window.SetVerdictFont(kVerdictFont, kVerdictRed);
    window.SetVerdictCaption("FAIL");
    window.SetMemoText("first\r\nsecond\r\n");
    window.SetSerialText("682123456\r\n682654321\r\n");
    window.SetHexPathText("/station/merge.hex");
    window.SetCommandText("cmd");
    window.SetChecksumEnabled(false);
    window.SetStartEnabled(false);

    auto* panel = window.ControlAs<QLabel>(ControlId::Panel_Result);
    EXPECT_EQ(panel->text(), "FAIL");
    EXPECT_EQ(TextColour(*panel), kRed);
    EXPECT_EQ(panel->font().family(), "宋体");
    EXPECT_TRUE(panel->font().bold());
    EXPECT_TRUE(panel->font().italic());
    const QFontMetrics metrics(panel->font());
    EXPECT_NEAR(metrics.ascent() + metrics.descent(), 72, 2);  // the cell, not the em
    EXPECT_LT(panel->font().pixelSize(), 96);
    auto* memo = window.ControlAs<QPlainTextEdit>(ControlId::Memo_Output);
    EXPECT_EQ(memo->toPlainText(), "first\nsecond\n");  // CR LF shows as one line break
    EXPECT_EQ(memo->document()->blockCount(), 3);
    auto* serial = window.ControlAs<QLabel>(ControlId::Label_SN);
    EXPECT_EQ(serial->text(), "682123456\n682654321\n");
    EXPECT_GT(serial->height(), QFontMetrics(serial->font()).height());  // both lines show
    EXPECT_EQ(window.ControlAs<QLineEdit>(ControlId::Edit_Hex)->text(), "/station/merge.hex");
    EXPECT_EQ(window.ControlAs<QLineEdit>(ControlId::Edit_Para)->text(), "cmd");
    EXPECT_FALSE(window.Control(ControlId::Button_CRC)->isEnabled());
    EXPECT_FALSE(window.Control(ControlId::Button_Start)->isEnabled());
    window.ControlAs<QCheckBox>(ControlId::cb_erase)->setChecked(false);
    EXPECT_FALSE(window.EraseChecked());

    // While a tool runs: its newest lines, scrolled to the end, and the seconds under the version.
    QString many;
    for (int line = 1; line <= 200; ++line) {
        many += QString("line %1\n").arg(line);
    }
    window.show();
    window.ShowRunOutput(Utf8(many));
    EXPECT_EQ(memo->toPlainText(), many);
    EXPECT_EQ(memo->textCursor().position(), many.size());
    EXPECT_GT(memo->verticalScrollBar()->value(), 0);
    EXPECT_EQ(memo->verticalScrollBar()->value(), memo->verticalScrollBar()->maximum());
    window.SetElapsedText("已运行 12 秒");
    auto* elapsed = window.ControlAs<QLabel>(ControlId::Label_Elapsed);
    EXPECT_EQ(elapsed->text(), "已运行 12 秒");
    const QWidget* version = window.Control(ControlId::Label1);
    EXPECT_GE(elapsed->y(), version->y() + version->height());
    EXPECT_LE(elapsed->x() + elapsed->width(), window.Control(ControlId::Button_Exit)->x());
    window.SetElapsedText("");
    EXPECT_EQ(elapsed->text(), "");
}

// The run's seconds with the tool's progress, at their widest: whole, inside the bottom panel,
// clear of its other controls.
TEST(QtWindow, ElapsedLabelFitsItsWidestText) {
    QtStationWindow window("/station/RomTool");
    window.SetElapsedText(kWidestElapsedText);
    const QWidget* elapsed = window.Control(ControlId::Label_Elapsed);
    EXPECT_EQ(elapsed->size(), elapsed->sizeHint());
    EXPECT_TRUE(window.Control(ControlId::Panel1_Exec)->rect().contains(elapsed->geometry()));
    for (const ControlId other : {ControlId::cb_erase, ControlId::Button_Start, ControlId::Label1,
                                  ControlId::Button_Exit}) {
        EXPECT_FALSE(elapsed->geometry().intersects(window.Control(other)->geometry()))
            << LayoutEntry(other).name;
    }
}

// The station's own labels, the day's counts under the image and the next serial number under
// the command: whole, inside their groups, below the edit above them.
TEST(QtWindow, StationLabelsFitUnderTheirEdits) {
    QtStationWindow window("/station/RomTool");
    window.SetCountsText("今日 PASS 1234  FAIL 56  良率 95.7%  周期中位 12.3 秒");
    window.SetNextSerialText("下一序列号：4294967295");
    window.SetDatabaseText(kLongestDatabaseText);
    const int caption = QFontMetrics(window.font()).height();
    for (const auto& [id, edit] : {std::pair{ControlId::Label_Counts, ControlId::Edit_Hex},
                                   std::pair{ControlId::Label_NextSerial, ControlId::Edit_Para},
                                   std::pair{ControlId::Label_Database, ControlId::Edit_Para}}) {
        auto* label = window.ControlAs<QLabel>(id);
        const Geometry inside = ParentArea(id, ResolveLayout(caption), caption);
        EXPECT_TRUE(
            QRect(inside.left, inside.top, inside.width, inside.height).contains(label->geometry()))
            << LayoutEntry(id).name;
        EXPECT_EQ(label->width(), label->sizeHint().width()) << LayoutEntry(id).name;
        const QWidget* above = window.Control(edit);
        EXPECT_GE(label->y(), above->y() + above->height()) << LayoutEntry(id).name;
    }
    // The board's label field, right of the counts, leaves them room.
    EXPECT_LT(window.Control(ControlId::Label_Counts)->geometry().right(),
              window.Control(ControlId::Label_BoardLabel)->x());
}

// The label belongs to its group: however much the probe query printed, it stays inside the
// group's frame, as a child of the group is clipped.
TEST(QtWindow, SerialLabelStaysInsideItsGroup) {
    QtStationWindow window("/station/RomTool");
    auto* serial = window.ControlAs<QLabel>(ControlId::Label_SN);
    const int caption = QFontMetrics(window.font()).height();
    const Geometry inside = ParentArea(ControlId::Label_SN, ResolveLayout(caption), caption);
    const QRect area(inside.left, inside.top, inside.width, inside.height);
    for (const std::string& text :
         {std::string("682123456\r\n682654321\r\n683000001\r\n683000002\r\n"),
          "ERROR: " + std::string(300, 'x'), std::string("682123456")}) {
        window.SetSerialText(text);
        EXPECT_TRUE(area.contains(serial->geometry())) << text;
        EXPECT_EQ(serial->pos(), QPoint(86, 31));
        EXPECT_EQ(serial->size(), serial->sizeHint().boundedTo(
                                      QSize(area.right() + 1 - 86, area.bottom() + 1 - 31)));
    }
    EXPECT_EQ(serial->size(), serial->sizeHint());  // a short serial is shown whole
}

TEST(QtWindow, OpenDialogIsMadeOnFirstUseAndAcceptsAnyName) {
    test_support::TempFolder folder;
    QtStationWindow window(folder / "RomTool");
    QTimer::singleShot(0, &window, [&] {
        ASSERT_NE(window.OpenDialogHex(), nullptr);
        window.OpenDialogHex()->reject();
    });
    EXPECT_EQ(window.ChooseImage(folder.Path()), "");

    QFileDialog* dialog = window.OpenDialogHex();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->parent(), &window);
    EXPECT_EQ(dialog->nameFilters(), QStringList{"hex (*.hex)"});
    EXPECT_EQ(dialog->defaultSuffix(), "hex");
    EXPECT_EQ(dialog->fileMode(), QFileDialog::AnyFile);
    EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptOpen);
    EXPECT_EQ(Utf8(dialog->directory().absolutePath()) + "/", folder.Path());
}

TEST(QtWindow, MessageBoxesHaveTheirIconAndOneOkButton) {
    const auto error = MakeMessageBox(QMessageBox::Critical, nullptr, "Romtool", "text");
    EXPECT_EQ(error->icon(), QMessageBox::Critical);
    EXPECT_EQ(error->standardButtons(), QMessageBox::Ok);
    EXPECT_EQ(error->windowTitle(), "Romtool");
    EXPECT_EQ(error->text(), "text");
    EXPECT_EQ(error->textFormat(), Qt::PlainText);
    EXPECT_EQ(MakeMessageBox(QMessageBox::NoIcon, nullptr, "Romtool", "x")->icon(),
              QMessageBox::NoIcon);
}

// A station folder with its logger, and the window on it once its first refresh said Ready.
class ShownWindow : public ::testing::Test {
protected:
    ShownWindow() { log4me::Start(station.Path()); }
    ~ShownWindow() override {
        window.reset();  // its stop comes before the logger's
        log4me::Stop();
    }

    QtStationWindow& Shown() {
        window = std::make_unique<QtStationWindow>(station.Path() + "RomTool");
        window->Form().FormCreate();
        window->show();
        panel = window->ControlAs<QLabel>(ControlId::Panel_Result);
        EXPECT_TRUE(QTest::qWaitFor([&] { return panel->text() == "Ready"; }, 60000));
        return *window;
    }

    test_support::StationFolder station;
    std::unique_ptr<QtStationWindow> window;
    QLabel* panel = nullptr;
};

TEST_F(ShownWindow, ForwardsItsEventsToTheStation) {
    QtStationWindow& window = Shown();
    EXPECT_EQ(station.StandInCallCount(), 1);  // the first show's refresh
    window.ControlAs<QPushButton>(ControlId::Button_Help)->click();
    EXPECT_EQ(station.StandInCallCount(), 2);
    EXPECT_NE(window.Form().MemoText().find("--program"), std::string::npos);

    // A close while the tool runs closes the window once the run has ended.
    bool tried = false;
    bool closedAtOnce = true;
    bool visibleMeanwhile = false;
    QTimer during;
    QObject::connect(&during, &QTimer::timeout, [&] {
        if (!window.ControlAs<QPushButton>(ControlId::Button_Start)->isEnabled() && !tried) {
            tried = true;
            closedAtOnce = window.close();
            visibleMeanwhile = window.isVisible();
        }
    });
    during.start(0);
    window.ControlAs<QPushButton>(ControlId::Button_Start)->click();
    EXPECT_FALSE(closedAtOnce);
    EXPECT_TRUE(visibleMeanwhile);
    EXPECT_EQ(panel->text(), "PASS");
    EXPECT_FALSE(window.isVisible());
}

// Presses of start made during a run: the window system queues them while the run keeps input
// waiting. Taken once it has ended, they are dropped: one board, one run. A double click, and
// the caption's own shortcut Alt+S, whose click Qt would otherwise deliver a while after the
// run (once the button's pressed look has been shown).
TEST_F(ShownWindow, PressesOfStartQueuedDuringARunAreDropped) {
    QtStationWindow& window = Shown();
    auto* start = window.ControlAs<QPushButton>(ControlId::Button_Start);
    const QPoint at = start->mapTo(&window, start->rect().center());
    QWindow* handle = window.windowHandle();
    const std::function<void()> presses[] = {
        [&] {
            for (int i = 0; i < 2; ++i) {
                for (const auto type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
                    QWindowSystemInterface::handleMouseEvent<
                        QWindowSystemInterface::AsynchronousDelivery>(
                        handle, at, handle->mapToGlobal(at),
                        type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                        Qt::LeftButton, type);
                }
            }
        },
        [&] {
            for (const auto type : {QEvent::KeyPress, QEvent::KeyRelease}) {
                QWindowSystemInterface::handleKeyEvent<
                    QWindowSystemInterface::AsynchronousDelivery>(handle, type, Qt::Key_S,
                                                                  Qt::AltModifier);
            }
        },
    };
    int calls = station.StandInCallCount();
    for (const auto& press : presses) {
        bool pressed = false;
        QTimer during;
        QObject::connect(&during, &QTimer::timeout, [&] {
            if (!start->isEnabled() && !pressed) {
                pressed = true;
                press();
            }
        });
        during.start(0);
        start->click();
        QCoreApplication::processEvents();
        // A click still to come shows as the button held down.
        EXPECT_TRUE(QTest::qWaitFor([&] { return !start->isDown(); }, 60000));
        QCoreApplication::processEvents();

        EXPECT_TRUE(pressed);
        EXPECT_EQ(panel->text(), "PASS");
        calls += 2;  // the press's check and its run
        EXPECT_EQ(station.StandInCallCount(), calls) << station.StandInCalls();
    }
}

// The window is shown at the DPI the run asked for (ROMTOOL_TEST_DPI, which the test program
// turns into Qt's scale factor), so that a run at 144 tests 144.
TEST(QtWindow, IsShownAtTheRunsDpi) {
    QtStationWindow window("/station/RomTool");
    window.show();
    const QByteArray dpi = qgetenv("ROMTOOL_TEST_DPI");
    EXPECT_EQ(qRound(window.devicePixelRatioF() * 96), dpi.isEmpty() ? 96 : dpi.toInt());
}

// Without labels asked for, the field stays hidden once the station is ready.
TEST_F(ShownWindow, TheLabelFieldIsHiddenWithoutLabels) {
    QtStationWindow& window = Shown();
    EXPECT_TRUE(window.Control(ControlId::Edit_BoardLabel)->isHidden());
    EXPECT_TRUE(window.Control(ControlId::Label_BoardLabel)->isHidden());
}

// With labels asked for, the field shows and has the focus when the station is ready: a
// scanner's label ended by Enter presses start, and the field is emptied for the next board. A
// refused label stays in view, selected: the scanner's next label replaces it.
TEST_F(ShownWindow, EnterInTheLabelFieldPressesStart) {
    station.Write("config.ini", station.Read("config.ini") +
                                    "[trace]\r\nlabel=yes\r\nlabel_pattern=^PCB-[0-9]+$\r\n");
    QtStationWindow& window = Shown();
    auto* edit = window.ControlAs<QLineEdit>(ControlId::Edit_BoardLabel);
    EXPECT_FALSE(edit->isHidden());
    EXPECT_FALSE(window.Control(ControlId::Label_BoardLabel)->isHidden());
    EXPECT_EQ(window.focusWidget(), edit);
    QTest::keyClicks(edit, "PCB-X");
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(edit->text(), "PCB-X");
    const int calls = station.StandInCallCount();
    QTest::keyClicks(edit, "PCB-1");
    EXPECT_EQ(edit->text(), "PCB-1");
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(panel->text(), "PASS");
    EXPECT_EQ(station.StandInCallCount(), calls + 2);  // the press's check and its run
    EXPECT_EQ(edit->text(), "");
    EXPECT_EQ(window.focusWidget(), edit);
}

// A station that starts by itself and asks for labels, through its own ticks: the panel says
// what it waits for in the Ready colour, and the field takes the focus when the label is due.
TEST_F(ShownWindow, TheWaitingTextsAndTheLabelOfAFoundBoard) {
    station.Write("config.ini", station.Read("config.ini") +
                                    "[station]\r\nautostart=yes\r\nautostart_settle_ms=0\r\n"
                                    "autostart_absent_ms=0\r\n"
                                    "[trace]\r\nlabel=yes\r\n");
    QtStationWindow& window = Shown();
    auto* edit = window.ControlAs<QLineEdit>(ControlId::Edit_BoardLabel);
    const auto fixture = [&](const char* command) {
        tool::RunCommand(os::QuoteArgument(station.ToolPath()) + " --" + command,
                         station.BinFolder(), std::chrono::seconds(30));
    };
    fixture("board-out");
    EXPECT_TRUE(QTest::qWaitFor([&] { return panel->text() == "请放入电路板"; }, 60000));
    EXPECT_EQ(TextColour(*panel), kGreen);
    window.ControlAs<QCheckBox>(ControlId::cb_erase)->setFocus();  // the operator clicked away
    fixture("board-change");
    EXPECT_TRUE(QTest::qWaitFor([&] { return panel->text() == "请扫描条码"; }, 60000));
    EXPECT_EQ(TextColour(*panel), kGreen);
    EXPECT_EQ(window.focusWidget(), edit);
    QTest::keyClicks(edit, "PCB-1");
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(panel->text(), "PASS");
    EXPECT_NE(station.TodaysLog().find("LABEL=PCB-1"), std::string::npos);
}

}  // namespace
