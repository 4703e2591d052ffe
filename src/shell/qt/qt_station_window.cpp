#include "shell/qt/qt_station_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QFontMetrics>
#include <QFrame>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMetaObject>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QShowEvent>
#include <QStringList>
#include <QTextCursor>

#include "shell/qt/qt_text.h"

namespace shell {

using namespace station;

namespace {

// The window role (WM_WINDOW_ROLE on X11) while the station is busy.
const QString kBusyRole = QStringLiteral("romtool-busy");

void SetTextColour(QWidget& widget, Rgb colour) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::WindowText, QColor(colour.red, colour.green, colour.blue));
    widget.setPalette(palette);
}

// Where "宋体" is not installed, its glyphs come from the nearest Song face there is.
void InstallFontSubstitutes() {
    QFont::insertSubstitutions(QStringLiteral("宋体"),
                               {QStringLiteral("SimSun"), QStringLiteral("Noto Serif CJK SC")});
}

QRect ToRect(const Geometry& g) {
    return {g.left, g.top, g.width, g.height};
}

}  // namespace

QtStationWindow::QtStationWindow(std::string executablePath, QWidget* parent)
    : QWidget(parent), form_(*this, std::move(executablePath)) {
    form_.AttachBench(*this);
    BuildLayout();
    autostartTimer_ = new QTimer(this);
    autostartTimer_->setInterval(static_cast<int>(kTickInterval.count()));
    connect(autostartTimer_, &QTimer::timeout, this,
            [this] { form_.Handle(&TRomForm::AutostartTick); });
}

QtStationWindow::~QtStationWindow() = default;

void QtStationWindow::BuildLayout() {
    InstallFontSubstitutes();
    setObjectName(FromUtf8(kRomForm.name));
    setWindowTitle(FromUtf8(kRomForm.caption));
    // A fixed window with only a close button; still a normal window, so it has its task-bar
    // button.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(kRomForm.clientWidth, kRomForm.clientHeight);
    setFont(QtFont(kRomForm.font));

    controls_[0] = this;
    captionHeight_ = QFontMetrics(font()).height();
    layout_ = ResolveLayout(captionHeight_);
    for (const ControlSpec& entry : kLayout) {
        QWidget* control = BuildControl(entry, layout_[static_cast<std::size_t>(entry.id)]);
        control->setObjectName(FromUtf8(entry.name));
        if (entry.font) {
            control->setFont(QtFont(*entry.font));
        }
        if (entry.colour) {
            SetTextColour(*control, *entry.colour);
        }
        if (auto* button = qobject_cast<QPushButton*>(control); button && entry.handler) {
            connect(button, &QPushButton::clicked, this,
                    [this, handler = entry.handler] { form_.Handle(handler); });
            button->installEventFilter(this);
        }
        if (auto* edit = qobject_cast<QLineEdit*>(control); edit && entry.handler) {
            // Enter, as a scanner ends its label, runs the handler as a click would.
            connect(edit, &QLineEdit::returnPressed, this,
                    [this, handler = entry.handler] { form_.Handle(handler); });
        }
        control->setHidden(entry.hidden);
        controls_[static_cast<std::size_t>(entry.id)] = control;
    }
    const std::vector<ControlId> tabs = TabSequence();
    for (std::size_t i = 0; i + 1 < tabs.size(); ++i) {
        setTabOrder(Control(tabs[i]), Control(tabs[i + 1]));
    }

    CentreOnScreen(BenchClientArea(0));
}

void QtStationWindow::CentreOnScreen(const Geometry& client) {
    if (const QScreen* display = screen()) {
        const QRect area = display->availableGeometry();
        move(area.center() - QPoint(client.width / 2, client.height / 2));
    }
}

QWidget* QtStationWindow::BuildControl(const ControlSpec& entry, const Geometry& geometry) {
    QWidget* parent = Control(entry.parent);
    const QString caption = FromUtf8(entry.caption);
    QWidget* control = nullptr;
    switch (entry.kind) {
        case ControlKind::kGroupBox:
            control = new QGroupBox(caption, parent);
            break;
        case ControlKind::kLabel: {
            auto* label = new QLabel(caption, parent);
            label->setTextFormat(Qt::PlainText);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);  // a cut label keeps its start
            control = label;
            break;
        }
        case ControlKind::kButton:
            control = new QPushButton(caption, parent);
            break;
        case ControlKind::kEdit:
            control = new QLineEdit(caption, parent);
            break;
        case ControlKind::kPanel: {
            // A panel with a caption shows it centred; one without is only its raised bevel.
            auto* panel = new QLabel(caption, parent);
            panel->setTextFormat(Qt::PlainText);
            panel->setAlignment(Qt::AlignCenter);
            panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
            panel->setLineWidth(1);
            control = panel;
            break;
        }
        case ControlKind::kMemo: {
            auto* memo = new QPlainTextEdit(parent);
            memo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
            memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
            control = memo;
            break;
        }
        case ControlKind::kCheckBox: {
            auto* box = new QCheckBox(caption, parent);
            box->setChecked(entry.checked);
            control = box;
            break;
        }
    }
    control->setGeometry(ToRect(geometry));
    if (entry.kind == ControlKind::kLabel && geometry.width == 0) {
        FitLabel(*control, entry.id);
    }
    return control;
}

// As large as its text, but no further than its parent's inside.
void QtStationWindow::FitLabel(QWidget& label, ControlId id) const {
    const Geometry at = layout_[static_cast<std::size_t>(id)];
    const QSize text = label.sizeHint();
    label.setGeometry(ToRect(Clipped({at.left, at.top, text.width(), text.height()},
                                     ParentArea(id, layout_, captionHeight_))));
}

void QtStationWindow::Show() {
    show();
}

void QtStationWindow::SetTicking(bool on) {
    if (!on) {
        autostartTimer_->stop();
    } else if (!autostartTimer_->isActive()) {
        autostartTimer_->start();
    }
}

void QtStationWindow::SetBusy(bool busy) {
    setWindowRole(busy ? kBusyRole : QString());
    QGuiApplication::sync();  // the role reaches the X server now, not at the next event
}

int QtStationWindow::RunMessageLoop() {
    return QApplication::exec();
}

void QtStationWindow::SetVerdictCaption(const std::string& caption) {
    ControlAs<QLabel>(ControlId::Panel_Result)->setText(FromUtf8(caption));
}

void QtStationWindow::SetVerdictFont(const FontSpec& font, Rgb colour) {
    QWidget* panel = Control(ControlId::Panel_Result);
    panel->setFont(QtFont(font));
    SetTextColour(*panel, colour);
}

void QtStationWindow::SetMemoText(const std::string& text) {
    ControlAs<QPlainTextEdit>(ControlId::Memo_Output)->setPlainText(DisplayText(text));
}

void QtStationWindow::SetSerialText(const std::string& text) {
    auto* label = ControlAs<QLabel>(ControlId::Label_SN);
    label->setText(DisplayText(text));
    FitLabel(*label, ControlId::Label_SN);
}

void QtStationWindow::ShowRunOutput(const std::string& text) {
    auto* memo = ControlAs<QPlainTextEdit>(ControlId::Memo_Output);
    memo->setPlainText(DisplayText(text));
    memo->moveCursor(QTextCursor::End);
    memo->verticalScrollBar()->setValue(memo->verticalScrollBar()->maximum());
}

void QtStationWindow::ShowInLabel(ControlId id, const std::string& text) {
    auto* label = ControlAs<QLabel>(id);
    label->setText(FromUtf8(text));
    FitLabel(*label, id);
}

void QtStationWindow::SetElapsedText(const std::string& text) {
    ShowInLabel(ControlId::Label_Elapsed, text);
}

void QtStationWindow::SetNextSerialText(const std::string& text) {
    ShowInLabel(ControlId::Label_NextSerial, text);
}

void QtStationWindow::SetCountsText(const std::string& text) {
    ShowInLabel(ControlId::Label_Counts, text);
}

void QtStationWindow::SetDatabaseText(const std::string& text) {
    ShowInLabel(ControlId::Label_Database, text);
}

std::string QtStationWindow::LabelText() const {
    return Utf8(ControlAs<QLineEdit>(ControlId::Edit_BoardLabel)->text());
}

void QtStationWindow::SetLabelText(const std::string& text) {
    ControlAs<QLineEdit>(ControlId::Edit_BoardLabel)->setText(FromUtf8(text));
}

void QtStationWindow::SetLabelVisible(bool visible) {
    Control(ControlId::Label_BoardLabel)->setVisible(visible);
    Control(ControlId::Edit_BoardLabel)->setVisible(visible);
}

void QtStationWindow::FocusLabel() {
    QWidget* edit = Control(ControlId::Edit_BoardLabel);
    if (!edit->isHidden()) {
        edit->setFocus(Qt::OtherFocusReason);
    }
}

void QtStationWindow::SelectLabelText() {
    ControlAs<QLineEdit>(ControlId::Edit_BoardLabel)->selectAll();
}

void QtStationWindow::PostDatabaseChange() {
    // Queued to the window's thread; a window gone meanwhile drops it with its other events.
    QMetaObject::invokeMethod(
        this, [this] { form_.DatabaseChanged(); }, Qt::QueuedConnection);
}

void QtStationWindow::SetHexPathText(const std::string& text) {
    ControlAs<QLineEdit>(ControlId::Edit_Hex)->setText(FromUtf8(text));
}

void QtStationWindow::SetCommandText(const std::string& text) {
    ControlAs<QLineEdit>(ControlId::Edit_Para)->setText(FromUtf8(text));
}

void QtStationWindow::SetChecksumEnabled(bool enabled) {
    checksumWanted_ = enabled;
    Control(ControlId::Button_CRC)->setEnabled(enabled && toolButtonsEnabled_);
}

void QtStationWindow::SetStartEnabled(bool enabled) {
    Control(ControlId::Button_Start)->setEnabled(enabled);
}

bool QtStationWindow::EraseChecked() const {
    return ControlAs<QCheckBox>(ControlId::cb_erase)->isChecked();
}

void QtStationWindow::ShowErrorBox(const std::string& title, const std::string& text) {
    MakeMessageBox(QMessageBox::Critical, this, FromUtf8(title), FromUtf8(text))->exec();
}

void QtStationWindow::ShowChecksumBox(const std::string& title, const std::string& text) {
    MakeMessageBox(QMessageBox::NoIcon, this, FromUtf8(title), FromUtf8(text))->exec();
}

std::string QtStationWindow::ChooseImage(const std::string& initialFolder) {
    if (!openDialogHex_) {
        // Made on first use: building a file dialog costs a third of the window's start-up.
        openDialogHex_ = new QFileDialog(this);
        openDialogHex_->setObjectName(QStringLiteral("OpenDialogHex"));
        openDialogHex_->setNameFilter(QStringLiteral("hex (*.hex)"));
        openDialogHex_->setDefaultSuffix(QStringLiteral("hex"));
        openDialogHex_->setFileMode(QFileDialog::AnyFile);
        openDialogHex_->setAcceptMode(QFileDialog::AcceptOpen);
    }
    openDialogHex_->setDirectory(FromUtf8(initialFolder));
    if (openDialogHex_->exec() != QDialog::Accepted) {
        return {};
    }
    const QStringList files = openDialogHex_->selectedFiles();
    return files.isEmpty() ? std::string() : Utf8(QDir::toNativeSeparators(files.first()));
}

void QtStationWindow::RepaintKeepingInput() {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void QtStationWindow::DispatchQueuedInput() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void QtStationWindow::CloseWindow() {
    close();
}

void QtStationWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!shownOnce_) {
        shownOnce_ = true;
        // The first refresh runs once the window is on screen, so it paints as it goes.
        QMetaObject::invokeMethod(
            this, [this] { form_.Handle(&TRomForm::FormShow); }, Qt::QueuedConnection);
    }
}

bool QtStationWindow::eventFilter(QObject* watched, QEvent* event) {
    auto* button = qobject_cast<QPushButton*>(watched);
    if (button && event->type() == QEvent::Shortcut) {
        if (button->isEnabled()) {
            button->click();
        }
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void QtStationWindow::closeEvent(QCloseEvent* event) {
    if (!form_.RequestClose()) {
        event->ignore();  // closes once the tool run has ended
        return;
    }
    QWidget::closeEvent(event);
}

std::unique_ptr<QMessageBox> MakeMessageBox(QMessageBox::Icon icon, QWidget* owner,
                                            const QString& title, const QString& text) {
    auto box = std::make_unique<QMessageBox>(icon, title, text, QMessageBox::Ok, owner);
    box->setTextFormat(Qt::PlainText);
    return box;
}

}  // namespace shell
