// The window's fixed layout: every control with its caption, geometry and font.
#include <QCheckBox>
#include <QFileDialog>
#include <QFont>
#include <QFontMetrics>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRect>
#include <QScreen>
#include <QStringList>

#include "MainForm.h"

namespace {

constexpr int kClientWidth = 704;
constexpr int kClientHeight = 491;
constexpr int kBottomPanelHeight = 50;

QFont PixelFont(const QString& family, int pixelHeight) {
    QFont font(family);
    font.setPixelSize(pixelHeight);
    return font;
}

// Where "宋体" is not installed, its glyphs come from the nearest Song face there is.
void InstallFontSubstitutes() {
    QFont::insertSubstitutions(QStringLiteral("宋体"),
                               {QStringLiteral("SimSun"), QStringLiteral("Noto Serif CJK SC")});
}

QGroupBox* TopGroup(QWidget* parent, const QString& caption, int top, int height) {
    auto* group = new QGroupBox(caption, parent);
    group->setGeometry(0, top, kClientWidth, height);
    return group;
}

QLabel* AutoSizeLabel(QWidget* parent, const QString& caption, int left, int top) {
    auto* label = new QLabel(caption, parent);
    label->setTextFormat(Qt::PlainText);
    label->move(left, top);
    label->adjustSize();
    return label;
}

QPushButton* Button(QWidget* parent, const QString& caption, const QRect& geometry) {
    auto* button = new QPushButton(caption, parent);
    button->setGeometry(geometry);
    return button;
}

QLineEdit* LineEdit(QWidget* parent, const QRect& geometry) {
    auto* edit = new QLineEdit(parent);
    edit->setGeometry(geometry);
    return edit;
}

void SetRaisedPanel(QFrame* panel) {
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setLineWidth(1);
}

// The part of a group box that aligned children fill: below the caption line, inside the
// frame.
QRect GroupClientRect(const QGroupBox& group) {
    const int captionHeight = QFontMetrics(group.font()).height();
    return QRect(0, 0, group.width(), group.height()).adjusted(2, captionHeight + 2, -2, -2);
}

}  // namespace

void TRomForm::BuildLayout() {
    InstallFontSubstitutes();
    setWindowTitle(QStringLiteral("NRF系列芯片ROM烧写工具 V1.0（限内部使用） "));
    // A fixed window with only a close button; still a normal window, so it has its task-bar
    // button.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(kClientWidth, kClientHeight);
    setFont(PixelFont(QStringLiteral("Tahoma"), 11));

    GroupBox_Jlink = TopGroup(this, QStringLiteral("Jlink信息"), 0, 73);
    Label_SN1 = AutoSizeLabel(GroupBox_Jlink, QStringLiteral("序列号："), 32, 31);
    Label_SN = AutoSizeLabel(GroupBox_Jlink, QStringLiteral("00000"), 86, 31);
    Button_GetJlink = Button(GroupBox_Jlink, QStringLiteral("刷新信息"), {608, 26, 75, 25});

    GroupBox_Hex = TopGroup(this, QStringLiteral("HEX文件"), 73, 80);
    Edit_Hex = LineEdit(GroupBox_Hex, {32, 32, 497, 21});
    Button_Select = Button(GroupBox_Hex, QStringLiteral("选择"), {535, 31, 46, 25});
    Button_CRC = Button(GroupBox_Hex, QStringLiteral("写入校验"), {608, 32, 79, 25});

    GroupBox_Para = TopGroup(this, QStringLiteral("参数"), 153, 80);
    Edit_Para = LineEdit(GroupBox_Para, {32, 32, 537, 21});
    Button_Help = Button(GroupBox_Para, QStringLiteral("参数列表"), {607, 27, 79, 25});

    GroupBox_Output = TopGroup(this, QStringLiteral("输出"), 233, 208);
    const QRect outputArea = GroupClientRect(*GroupBox_Output);
    Panel_Result = new QLabel(QStringLiteral("--"), GroupBox_Output);
    Panel_Result->setTextFormat(Qt::PlainText);
    Panel_Result->setGeometry(outputArea.left(), outputArea.top(), outputArea.width(), 102);
    Panel_Result->setAlignment(Qt::AlignCenter);
    SetRaisedPanel(Panel_Result);
    Panel_Result->setFont(PixelFont(QStringLiteral("宋体"), 96));
    QPalette verdictPalette = Panel_Result->palette();
    verdictPalette.setColor(QPalette::WindowText, QColor(0, 255, 0));
    Panel_Result->setPalette(verdictPalette);

    Memo_Output = new QPlainTextEdit(GroupBox_Output);
    Memo_Output->setGeometry(outputArea.adjusted(0, 102, 0, 0));
    Memo_Output->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Memo_Output->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo_Output->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo_Output->setFont(PixelFont(QStringLiteral("Tahoma"), 14));

    Panel1_Exec = new QFrame(this);
    Panel1_Exec->setGeometry(0, kClientHeight - kBottomPanelHeight, kClientWidth,
                             kBottomPanelHeight);
    SetRaisedPanel(Panel1_Exec);
    cb_erase = new QCheckBox(QStringLiteral("烧写前先执行擦除"), Panel1_Exec);
    cb_erase->setGeometry(96, 12, 129, 17);
    cb_erase->setChecked(true);
    Button_Start = Button(Panel1_Exec, QStringLiteral("开始(&S)"), {277, 6, 161, 31});
    Label1 = AutoSizeLabel(Panel1_Exec, QStringLiteral("1.2.0"), 456, 16);
    Button_Exit = Button(Panel1_Exec, QStringLiteral("退出"), {608, 7, 75, 25});

    OpenDialogHex = new QFileDialog(this);
    OpenDialogHex->setNameFilter(QStringLiteral("hex (*.hex)"));
    OpenDialogHex->setDefaultSuffix(QStringLiteral("hex"));
    OpenDialogHex->setFileMode(QFileDialog::AnyFile);
    OpenDialogHex->setAcceptMode(QFileDialog::AcceptOpen);

    setTabOrder(Button_GetJlink, Edit_Hex);
    setTabOrder(Edit_Hex, Button_CRC);
    setTabOrder(Button_CRC, Button_Select);
    setTabOrder(Button_Select, Edit_Para);
    setTabOrder(Edit_Para, Button_Help);
    setTabOrder(Button_Help, Memo_Output);
    setTabOrder(Memo_Output, Button_Start);
    setTabOrder(Button_Start, Button_Exit);
    setTabOrder(Button_Exit, cb_erase);

    if (const QScreen* display = screen()) {
        const QRect area = display->availableGeometry();
        move(area.center() - QPoint(kClientWidth / 2, kClientHeight / 2));
    }
}
