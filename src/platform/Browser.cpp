#include "platform/Browser.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

namespace {

bool hasScheme(const QString &target)
{
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*:"));
    return scheme.match(target).hasMatch();
}

bool startDetached(const QStringList &command)
{
    if (command.isEmpty() || command.first().isEmpty())
        return false;
    return QProcess::startDetached(command.first(), command.mid(1));
}

} // namespace

QStringList Browser::commandFor(const QString &browserEntry, const QString &target)
{
    QStringList words = QProcess::splitCommand(browserEntry);
    if (words.isEmpty())
        return {};
    bool substituted = false;
    for (QString &word : words) {
        if (word.contains(QLatin1String("%s"))) {
            word.replace(QLatin1String("%s"), target);
            substituted = true;
        }
    }
    if (!substituted)
        words << target;
    return words;
}

bool Browser::open(const QString &target)
{
    const QStringList entries =
        qEnvironmentVariable("BROWSER").split(QLatin1Char(':'), Qt::SkipEmptyParts);
    for (const QString &entry : entries) {
        if (startDetached(commandFor(entry, target)))
            return true;
    }
    if (!QStandardPaths::findExecutable(QStringLiteral("x-www-browser")).isEmpty()
        && startDetached({QStringLiteral("x-www-browser"), target}))
        return true;
    const QString forXdg = hasScheme(target) ? target : QStringLiteral("http://") + target;
    return startDetached({QStringLiteral("xdg-open"), forXdg});
}
