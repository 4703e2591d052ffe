// The window's life: creation with the single-instance claim, the first show, closing, and the
// guard every handler runs in.
#include "MainForm.h"

#include <QCloseEvent>
#include <QMetaObject>
#include <QPushButton>
#include <QShowEvent>
#include <exception>
#include <utility>

#include "application_title.h"
#include "core_text.h"
#include "os.h"

namespace {

// Marks an operation as running for as long as it lives.
class BusyScope {
public:
    explicit BusyScope(bool& busy) : busy_(busy) { busy_ = true; }
    ~BusyScope() { busy_ = false; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    bool& busy_;
};

}  // namespace

TRomForm::TRomForm(StationSetup setup, QWidget* parent)
    : QWidget(parent),
      executablePath_(setup.executablePath.empty() ? os::ExecutablePath()
                                                   : std::move(setup.executablePath)),
      dialogs_(setup.dialogs ? std::move(setup.dialogs) : std::make_shared<QtStationDialogs>()) {
    BuildLayout();
    ConnectHandlers();
    FormCreate();
}

TRomForm::~TRomForm() = default;

void TRomForm::FormCreate() {
    title_ = ::ApplicationTitle(executablePath_);
    // Held for the life of the window, which is the life of the program.
    instanceLock_ = std::make_unique<os::InstanceLock>(Utf8(title_));
    Init(true);
}

bool TRomForm::AnotherCopyRunning() const {
    return instanceLock_ && instanceLock_->AlreadyRunning();
}

void TRomForm::ConnectHandlers() {
    const auto wire = [this](QPushButton* button, void (TRomForm::*handler)()) {
        connect(button, &QPushButton::clicked, this,
                [this, handler] { RunOperation([this, handler] { (this->*handler)(); }); });
    };
    wire(Button_GetJlink, &TRomForm::Button_GetJlinkClick);
    wire(Button_Select, &TRomForm::Button_SelectClick);
    wire(Button_CRC, &TRomForm::Button_CRCClick);
    wire(Button_Help, &TRomForm::Button_HelpClick);
    wire(Button_Start, &TRomForm::Button_StartClick);
    wire(Button_Exit, &TRomForm::Button_ExitClick);
}

void TRomForm::RunOperation(std::function<void()> operation) {
    waiting_.push_back(std::move(operation));
    if (busy_) {
        return;  // runs when the current operation has ended
    }
    while (!waiting_.empty()) {
        std::function<void()> next = std::move(waiting_.front());
        waiting_.pop_front();
        BusyScope busy(busy_);
        QString failure;
        bool failed = false;
        try {
            next();
        } catch (const std::exception& error) {
            failed = true;
            failure = FromUtf8(error.what());
        }
        if (failed) {
            ShowErrorBox(failure);
        }
    }
    if (closeRequested_) {
        closeRequested_ = false;
        close();
    }
    emit OperationsFinished();
}

void TRomForm::ShowErrorBox(const QString& message) {
    dialogs_->ReportError(this, title_, ErrorBoxText(message));
}

void TRomForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!shownOnce_) {
        shownOnce_ = true;
        // The first refresh runs once the window is on screen, so it paints as it goes.
        QMetaObject::invokeMethod(
            this, [this] { RunOperation([this] { FormShow(); }); }, Qt::QueuedConnection);
    }
}

void TRomForm::closeEvent(QCloseEvent* event) {
    if (busy_) {
        // A tool run is under way: close once it has ended.
        closeRequested_ = true;
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}
