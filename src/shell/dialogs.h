// The dialogs the station window shows, behind one interface so that tests can answer them.
#pragma once

#include <QMessageBox>
#include <QString>
#include <memory>

class QFileDialog;
class QWidget;

class StationDialogs {
public:
    virtual ~StationDialogs() = default;

    // Shows the image dialog, configured by the window; returns the chosen file's full path, or
    // an empty text when the operator cancelled.
    virtual QString ChooseImage(QFileDialog& dialog) = 0;
    // A message box without an icon and one OK button; returns when the operator closed it.
    virtual void Inform(QWidget* owner, const QString& title, const QString& text) = 0;
    // A message box with the error icon and one OK button; returns when the operator closed it.
    virtual void ReportError(QWidget* owner, const QString& title, const QString& text) = 0;
};

// The Qt dialogs, shown modally over their owner.
class QtStationDialogs : public StationDialogs {
public:
    QString ChooseImage(QFileDialog& dialog) override;
    void Inform(QWidget* owner, const QString& title, const QString& text) override;
    void ReportError(QWidget* owner, const QString& title, const QString& text) override;
};

// The message box QtStationDialogs shows: the icon, one OK button, title and text.
std::unique_ptr<QMessageBox> MakeMessageBox(QMessageBox::Icon icon, QWidget* owner,
                                            const QString& title, const QString& text);

// What the error box shows for an error's message: a full stop is added when the message's last
// character comes after "." in character order, so "Cannot open file ... denied" gets one and a
// message ending in ".", a blank or a line break does not.
QString ErrorBoxText(const QString& message);
