// TRomForm: the station's one window. It holds the station state as fields and every operator
// action as a method. The layout, the verdict display and the error box live in src/shell; the
// station logic (Init, CheckReady, ErrorText and the actions) in src/station.
#pragma once

#include <QString>
#include <QWidget>
#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <string>

#include "dialogs.h"
#include "programmer.h"
#include "run_command.h"

class QCheckBox;
class QCloseEvent;
class QFileDialog;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QShowEvent;

namespace os {
class InstanceLock;
}

// How long each kind of tool run may take before it is ended.
struct RunLimits {
    std::chrono::milliseconds probeQuery = tool::kProbeQueryLimit;
    std::chrono::milliseconds help = tool::kHelpLimit;
    std::chrono::milliseconds programming = tool::kProgrammingLimit;
};

// Where the window gets what it would otherwise take from the running program.
struct StationSetup {
    // The executable whose folder is the station folder and whose name gives the application
    // title; empty for the running executable.
    std::string executablePath;
    // The dialogs the window shows; null for the Qt ones.
    std::shared_ptr<StationDialogs> dialogs;
};

class TRomForm : public QWidget {
    Q_OBJECT

public:
    explicit TRomForm(StationSetup setup = {}, QWidget* parent = nullptr);
    ~TRomForm() override;

    // Controls, in layout order. Owned by the window through Qt's parent ownership.
    QGroupBox* GroupBox_Jlink = nullptr;
    QLabel* Label_SN1 = nullptr;
    QLabel* Label_SN = nullptr;
    QPushButton* Button_GetJlink = nullptr;
    QGroupBox* GroupBox_Hex = nullptr;
    QLineEdit* Edit_Hex = nullptr;
    QPushButton* Button_Select = nullptr;
    QPushButton* Button_CRC = nullptr;
    QGroupBox* GroupBox_Para = nullptr;
    QLineEdit* Edit_Para = nullptr;
    QPushButton* Button_Help = nullptr;
    QGroupBox* GroupBox_Output = nullptr;
    QLabel* Panel_Result = nullptr;
    QPlainTextEdit* Memo_Output = nullptr;
    QFrame* Panel1_Exec = nullptr;
    QCheckBox* cb_erase = nullptr;
    QPushButton* Button_Start = nullptr;
    QLabel* Label1 = nullptr;
    QPushButton* Button_Exit = nullptr;
    QFileDialog* OpenDialogHex = nullptr;

    // Station state.
    QString App_Path;     // the station folder, ending in the separator
    QString Bin_Path;     // App_Path + "bin" + separator; the working folder of every tool run
    QString Hex_Path;     // the image in use
    QString Hex_Md5;      // the image's checksum, set only by a passing check
    QString Prog_Path;    // Bin_Path + the programmer's file name
    QString Prog_Para;    // the fixed trailing programmer options
    QString Prog_Sn;      // the whole output of the last probe query
    QString CRC_Path;     // the image's checksum file
    QString Log_Path;     // App_Path + "logs"
    QString Config_Path;  // App_Path + "config.ini"
    QString Hex_Name;     // the image's file name
    int Error_Code = 0;   // the last check's error code; 0 for none

    // Station logic (src/station).
    void Init(bool first);
    bool CheckReady();
    QString ErrorText(int code) const;
    void FormShow();
    void Button_StartClick();
    void Button_GetJlinkClick();
    void Button_SelectClick();
    void Button_CRCClick();
    void Button_HelpClick();
    void Button_ExitClick();

    // Verdict display (src/shell).
    void ShowResult(const QString& status, const QString& detail);

    // The application title: the name of the single-instance lock and of every message box.
    const QString& AppTitle() const { return title_; }
    // True when another copy under the same title already ran when this window was created.
    bool AnotherCopyRunning() const;
    // The text area's text exactly as the station set it (CR LF kept); what the log gets.
    const QString& MemoText() const { return memoText_; }
    // Sets the text area's text.
    void SetMemoText(const QString& text);

    void SetRunLimits(const RunLimits& limits) { limits_ = limits; }
    const RunLimits& Limits() const { return limits_; }

    // Runs one operation: an error raised inside it goes to the error box and ends it. While an
    // operation runs, further operations wait and run after it, in order; a close request made
    // meanwhile takes effect after them.
    void RunOperation(std::function<void()> operation);
    bool OperationRunning() const { return busy_; }

signals:
    // Emitted whenever an operation and those that waited for it have ended.
    void OperationsFinished();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    void BuildLayout();
    void ConnectHandlers();
    void ShowErrorBox(const QString& message);
    // Runs a programmer command in Bin_Path, repainting while it runs.
    tool::CommandResult RunTool(const std::string& commandLine, std::chrono::milliseconds limit);

    std::string executablePath_;
    std::shared_ptr<StationDialogs> dialogs_;
    RunLimits limits_;
    QString title_;
    std::unique_ptr<os::InstanceLock> instanceLock_;
    QString memoText_;
    bool busy_ = false;
    bool closeRequested_ = false;
    bool shownOnce_ = false;
    std::deque<std::function<void()>> waiting_;
};
