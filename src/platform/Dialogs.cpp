#include "platform/Dialogs.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QGridLayout>
#include <QInputDialog>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpacerItem>
#include <QVBoxLayout>
#include <utility>

namespace {

struct Recorder
{
    bool on = false;
    QList<Dialogs::Shown> shown;
    QMessageBox::StandardButton nextAnswer = QMessageBox::NoButton;
    int nextChoice = 0;
    QString lastDetails;
    QStringList lastChoices;
};

Recorder &recorder()
{
    static Recorder instance;
    return instance;
}

QMessageBox::StandardButton recordedAnswer(QMessageBox::StandardButtons buttons,
                                           QMessageBox::StandardButton defaultButton)
{
    Recorder &r = recorder();
    if (r.nextAnswer != QMessageBox::NoButton) {
        const QMessageBox::StandardButton answer = r.nextAnswer;
        r.nextAnswer = QMessageBox::NoButton;
        return answer;
    }
    if (defaultButton != QMessageBox::NoButton)
        return defaultButton;
    return buttons.testFlag(QMessageBox::Ok) ? QMessageBox::Ok : QMessageBox::NoButton;
}

} // namespace

QString Dialogs::applicationTitle()
{
    return tr("网址管理软件V1.0");
}

QMessageBox::StandardButton Dialogs::show(QWidget *parent, const QString &text, const QString &caption,
                                          QMessageBox::StandardButtons buttons,
                                          QMessageBox::StandardButton defaultButton, QMessageBox::Icon icon)
{
    if (recorder().on) {
        recorder().shown.append({text, caption, buttons, icon});
        return recordedAnswer(buttons, defaultButton);
    }
    const std::unique_ptr<QMessageBox> box = makeBox(parent, text, caption, buttons, defaultButton, icon);
    return static_cast<QMessageBox::StandardButton>(box->exec());
}

std::unique_ptr<QMessageBox> Dialogs::makeBox(QWidget *parent, const QString &text, const QString &caption,
                                              QMessageBox::StandardButtons buttons,
                                              QMessageBox::StandardButton defaultButton, QMessageBox::Icon icon)
{
    auto box = std::make_unique<QMessageBox>(icon, caption, text, buttons, parent);
    box->setTextFormat(Qt::PlainText);
    if (defaultButton != QMessageBox::NoButton)
        box->setDefaultButton(defaultButton);
    box->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    // A message box sizes itself to its text alone, and the window manager then cuts a
    // caption longer than that; a row of the caption's width keeps it readable.
    if (auto *grid = qobject_cast<QGridLayout *>(box->layout())) {
        grid->addItem(new QSpacerItem(captionWidth(caption), 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount());
    }
    return box;
}

int Dialogs::captionWidth(const QString &caption)
{
    // Window managers draw captions in a bold font of about 12 points, beside an icon
    // and up to three buttons of about the caption's height each.
    QFont titleFont = QApplication::font();
    titleFont.setPointSize(12);
    titleFont.setBold(true);
    const QFontMetrics metrics(titleFont);
    return metrics.horizontalAdvance(caption) + 4 * (metrics.height() + 8) + 16;
}

void Dialogs::message(QWidget *parent, const QString &text)
{
    show(parent, text, applicationTitle());
}

void Dialogs::failure(QWidget *parent)
{
    show(parent, QStringLiteral("error!!!"), QStringLiteral("error"));
}

void Dialogs::failure(QWidget *parent, const Outcome &outcome)
{
    if (outcome.kind == Outcome::Kind::ReadOnly || outcome.kind == Outcome::Kind::Unreachable)
        show(parent, outcome.message, tr("提示"));
    else
        failure(parent);
}

void Dialogs::errorReport(QWidget *parent, const QString &errorText)
{
    show(parent, errorText, applicationTitle(), QMessageBox::Ok, QMessageBox::NoButton, QMessageBox::Critical);
}

void Dialogs::startRecording()
{
    recorder().on = true;
}

void Dialogs::stopRecording()
{
    recorder().on = false;
}

bool Dialogs::isRecording()
{
    return recorder().on;
}

const QList<Dialogs::Shown> &Dialogs::recorded()
{
    return recorder().shown;
}

void Dialogs::clearRecorded()
{
    recorder().shown.clear();
    recorder().nextAnswer = QMessageBox::NoButton;
    recorder().nextChoice = 0;
}

void Dialogs::setNextAnswer(QMessageBox::StandardButton answer)
{
    recorder().nextAnswer = answer;
}

void Dialogs::setNextChoice(int index)
{
    recorder().nextChoice = index;
}

void Dialogs::reportWithDetails(QWidget *parent, const QString &text, const QString &caption, const QString &details)
{
    if (recorder().on) {
        recorder().shown.append({text, caption, QMessageBox::Ok, QMessageBox::Information});
        recorder().lastDetails = details;
        return;
    }
    QDialog box(parent);
    box.setWindowTitle(caption);
    box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    auto *layout = new QVBoxLayout(&box);
    auto *label = new QLabel(text, &box);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    layout->addWidget(label);
    auto *detailView = new QPlainTextEdit(details, &box);
    detailView->setReadOnly(true);
    detailView->setLineWrapMode(QPlainTextEdit::NoWrap);
    detailView->setMinimumSize(480, 200);
    detailView->hide();
    layout->addWidget(detailView, 1);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &box);
    buttons->button(QDialogButtonBox::Ok)->setText(tr("确定"));
    QPushButton *more = buttons->addButton(tr("详细信息"), QDialogButtonBox::ActionRole);
    more->setCheckable(true);
    more->setEnabled(!details.isEmpty());
    QObject::connect(more, &QPushButton::toggled, detailView, &QWidget::setVisible);
    QObject::connect(more, &QPushButton::toggled, &box, [&box] { box.adjustSize(); });
    QObject::connect(buttons, &QDialogButtonBox::accepted, &box, &QDialog::accept);
    layout->addWidget(buttons);
    box.exec();
}

int Dialogs::choose(QWidget *parent, const QString &text, const QString &caption, const QStringList &choices)
{
    if (recorder().on) {
        recorder().shown.append({text, caption, QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Question});
        recorder().lastChoices = choices;
        const int index = std::exchange(recorder().nextChoice, 0);
        return index < choices.size() ? index : -1;
    }
    QInputDialog box(parent);
    box.setWindowTitle(caption);
    box.setLabelText(text);
    box.setComboBoxItems(choices);
    box.setComboBoxEditable(false);
    box.setOkButtonText(tr("确定"));
    box.setCancelButtonText(tr("取消"));
    if (box.exec() != QDialog::Accepted)
        return -1;
    return int(choices.indexOf(box.textValue()));
}

QString Dialogs::lastDetails()
{
    return recorder().lastDetails;
}

QStringList Dialogs::lastChoices()
{
    return recorder().lastChoices;
}
