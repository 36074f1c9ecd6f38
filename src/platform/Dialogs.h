#pragma once

#include "services/Outcome.h"

#include <QCoreApplication>
#include <QList>
#include <QMessageBox>
#include <QString>
#include <QStringList>

#include <memory>

// Every message box of the program goes through here. In normal use it shows a modal
// QMessageBox; a test switches on recording, and then each box is recorded (text,
// caption, buttons, icon) and answered at once without blocking.
class Dialogs
{
    Q_DECLARE_TR_FUNCTIONS(Dialogs)

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
    // The failure box for a command that did not go through: a database that cannot be
    // changed or a server that cannot be reached is said in words (caption "提示"); any
    // other failure gives the usual box.
    static void failure(QWidget *parent, const Outcome &outcome);
    // The default error report: the error's own text, captioned with the application's title.
    static void errorReport(QWidget *parent, const QString &errorText);

    // A report: `text` with an OK button and a "详细信息" button that shows or hides the
    // `details` (one entry a line) below it.
    static void reportWithDetails(QWidget *parent, const QString &text, const QString &caption, const QString &details);
    // Lets the user pick one of `choices`; gives its index, or -1 when cancelled.
    static int choose(QWidget *parent, const QString &text, const QString &caption, const QStringList &choices);

    // Test seam.
    static void startRecording();
    static void stopRecording();
    static bool isRecording();
    static const QList<Shown> &recorded();
    static void clearRecorded();
    // The answer that the next recorded box gives (otherwise its default button, or OK).
    static void setNextAnswer(QMessageBox::StandardButton answer);
    // The index that the next recorded choose() gives (otherwise 0).
    static void setNextChoice(int index);
    // The details of the last recorded reportWithDetails and the choices of the last
    // recorded choose.
    static QString lastDetails();
    static QStringList lastChoices();
};
