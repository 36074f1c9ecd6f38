#include "platform/Browser.h"

#include "data/TrimUrl.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QStandardPaths>

namespace {

bool hasScheme(const QString &target)
{
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*:"));
    return scheme.match(target).hasMatch();
}

// The browser and the help get the program's environment without the server password,
// which is the program's own business (the client library reads it at each connect).
bool startDetached(const QStringList &command)
{
    if (command.isEmpty() || command.first().isEmpty())
        return false;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("PGPASSWORD"));
    QProcess process;
    process.setProgram(command.first());
    process.setArguments(command.mid(1));
    process.setProcessEnvironment(environment);
    return process.startDetached();
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

bool Browser::open(const QString &given)
{
    // Firefox and Chromium read every argument that starts with "-" as an option, even
    // after "--"; such a target goes with the scheme in front, as a web address.
    const QString target = looksLikeOption(given) ? QStringLiteral("http://") + given.trimmed() : given;
    const QStringList entries = qEnvironmentVariable("BROWSER").split(QLatin1Char(':'), Qt::SkipEmptyParts);
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
