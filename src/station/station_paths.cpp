// Init: every station path derived again from the station folder and the image in use.
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

#include "MainForm.h"
#include "core_text.h"
#include "os.h"
#include "programmer.h"

namespace {

QString FolderOf(const QString& path) {
    return FromUtf8(os::FolderPart(Utf8(path)));
}
QString NameOf(const QString& path) {
    return FromUtf8(os::NamePart(Utf8(path)));
}

}  // namespace

void TRomForm::Init(bool first) {
    const QString separator(QLatin1Char(os::kPathSeparator));
    App_Path = FolderOf(FromUtf8(executablePath_));
    if (first) {
        Hex_Path = App_Path + QStringLiteral("merge.hex");
        Hex_Name = QStringLiteral("merge.hex");
    }
    Hex_Name = NameOf(Hex_Path);
    // The last four characters are cut whatever they are: "fw.ihex" gives "fw..crc".
    CRC_Path = FolderOf(Hex_Path) + Hex_Name.left(std::max<qsizetype>(0, Hex_Name.size() - 4)) +
               QStringLiteral(".crc");
    Bin_Path = App_Path + QStringLiteral("bin") + separator;
    Prog_Path = Bin_Path + FromUtf8(tool::ProgrammerFileName());
    Edit_Hex->setText(Hex_Path);
    Prog_Para = QString::fromLatin1(tool::kProgPara);
    Edit_Para->setText(FromUtf8(tool::CommandTemplate(Utf8(Prog_Path))));
    Prog_Sn.clear();
    Config_Path = App_Path + QStringLiteral("config.ini");
    Log_Path = App_Path + QStringLiteral("logs");
    // A checksum file is written once, for an image that exists.
    Button_CRC->setEnabled(!os::FileExists(Utf8(CRC_Path)) && os::FileExists(Utf8(Hex_Path)));
    Error_Code = 0;
}
