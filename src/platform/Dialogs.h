#pragma once

#include <QList>
#include <QMessageBox>
#include <QString>

#include <memory>

// Every message box of the program goes through here. In normal use it shows a modal
// QMessageBox; a test switches on recording, and then each box is recorded (text,
// caption, buttons, icon) and answered at once without blocking.
class Dialogs
{
public:
    struct Shown
    {
        QString text;
        QString caption;
        QMessageBox::StandardButtons buttons;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
    };

    // The title of the application: caption of the plain message dialogs and of the
    // default error report.
    static QString applicationTitle();

    static QMessageBox::StandardButton show(QWidget *parent, const QString &text, const QString &caption,
                                            QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                            QMessageBox::StandardButton defaultButton = QMessageBox::NoButton,
                                            QMessageBox::Icon icon = QMessageBox::NoIcon);

    // The box that show() runs, without running it.
    static std::unique_ptr<QMessageBox> makeBox(QWidget *parent, const QString &text, const QString &caption,
                                                QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                                QMessageBox::StandardButton defaultButton = QMessageBox::NoButton,
                                                QMessageBox::Icon icon = QMessageBox::NoIcon);
    // The width a box keeps for its caption in the window manager's caption bar.
    static int captionWidth(const QString &caption);

    // A plain message with an OK button, captioned with the application's title
    // ("不在线！", "成功导入！").
    static void message(QWidget *parent, const QString &text);
    // The usual failure box: "error!!!", caption "error", OK, no icon.
    static void failure(QWidget *parent);
    // The default error report: the error's own text, captioned with the application's title.
    static void errorReport(QWidget *parent, const QString &errorText);

    // Test seam.
    static void startRecording();
    static void stopRecording();
    static bool isRecording();
    static const QList<Shown> &recorded();
    static void clearRecorded();
    // The answer that the next recorded box gives (otherwise its default button, or OK).
    static void setNextAnswer(QMessageBox::StandardButton answer);
};
