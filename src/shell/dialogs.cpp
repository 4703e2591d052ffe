#include "dialogs.h"

#include <QDialog>
#include <QFileDialog>
#include <QStringList>

QString QtStationDialogs::ChooseImage(QFileDialog& dialog) {
    if (dialog.exec() != QDialog::Accepted) {
        return {};
    }
    const QStringList files = dialog.selectedFiles();
    return files.isEmpty() ? QString() : files.first();
}

void QtStationDialogs::Inform(QWidget* owner, const QString& title, const QString& text) {
    MakeMessageBox(QMessageBox::NoIcon, owner, title, text)->exec();
}

void QtStationDialogs::ReportError(QWidget* owner, const QString& title, const QString& text) {
    MakeMessageBox(QMessageBox::Critical, owner, title, text)->exec();
}

std::unique_ptr<QMessageBox> MakeMessageBox(QMessageBox::Icon icon, QWidget* owner,
                                            const QString& title, const QString& text) {
    auto box = std::make_unique<QMessageBox>(icon, title, text, QMessageBox::Ok, owner);
    box->setTextFormat(Qt::PlainText);
    return box;
}

QString ErrorBoxText(const QString& message) {
    if (!message.isEmpty() && message.back() > QLatin1Char('.')) {
        return message + QLatin1Char('.');
    }
    return message;
}
