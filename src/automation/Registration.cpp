#include "automation/Registration.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

// Registers the compiled-in resources of this static library; must be a free function
// outside any namespace for Q_INIT_RESOURCE.
static void initAutomationResources()
{
    Q_INIT_RESOURCE(automation);
}

namespace Registration {

namespace {

QString dbusFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/dbus-1");
}

// The bus reads Exec in two passes: first the key file's own escapes (a doubled
// backslash stands for one), then a shell-like split where, inside double quotes, a
// backslash escapes a quote or a backslash. So a quote or backslash of the path takes
// one backslash for the split, and every backslash is then doubled for the key file.
QString quotedForExec(const QString &path)
{
    QString quoted;
    for (const QChar c : path) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('"'))
            quoted += QLatin1Char('\\');
        quoted += c;
    }
    quoted.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

// Writes `contents` to `file` unless it already holds exactly that; false when it cannot.
bool writeIfChanged(const QString &file, const QByteArray &contents)
{
    QFile current(file);
    if (current.open(QIODevice::ReadOnly) && current.readAll() == contents)
        return true;
    if (!QDir().mkpath(QFileInfo(file).absolutePath()))
        return false;
    QSaveFile out(file);
    return out.open(QIODevice::WriteOnly) && out.write(contents) == contents.size() && out.commit();
}

bool removeIfPresent(const QString &file)
{
    return !QFileInfo::exists(file) || QFile::remove(file);
}

} // namespace

QString writeErrorText()
{
    return QStringLiteral("Error creating system registry entry");
}

QByteArray interfaceXml()
{
    initAutomationResources();
    QFile file(QStringLiteral(":/automation/Quorvel.IPIO.xml"));
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

QString interfaceElement()
{
    const QString xml = QString::fromUtf8(interfaceXml());
    const qsizetype from = xml.indexOf(QStringLiteral("<interface"));
    const QString endTag = QStringLiteral("</interface>");
    const qsizetype to = xml.indexOf(endTag, from);
    if (from < 0 || to < 0)
        return QString();
    return xml.mid(from, to + endTag.size() - from) + QLatin1Char('\n');
}

QString serviceFile()
{
    return dbusFolder() + QStringLiteral("/services/") + QLatin1String(BusName) + QStringLiteral(".service");
}

QString interfaceFile()
{
    return dbusFolder() + QStringLiteral("/interfaces/") + QLatin1String(InterfaceName) + QStringLiteral(".xml");
}

QString executablePath()
{
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
}

QByteArray serviceFileContents(const QString &executable)
{
    if (executable.isEmpty() || executable.contains(QLatin1Char('\n')) || executable.contains(QLatin1Char('\r')))
        return {};
    const QString text = QStringLiteral("[D-BUS Service]\nName=%1\nExec=%2 -EMBEDDING\n")
                             .arg(QLatin1String(BusName), quotedForExec(executable));
    return text.toUtf8();
}

QString removeErrorText(const QString &file)
{
    return QStringLiteral("Cannot remove %1").arg(file);
}

Outcome writeFiles(const QString &executable)
{
    const QByteArray service = serviceFileContents(executable);
    if (service.isEmpty() || !writeIfChanged(interfaceFile(), interfaceXml())
        || !writeIfChanged(serviceFile(), service))
        return Outcome::failed(writeErrorText());
    return Outcome::done();
}

Outcome removeFiles()
{
    for (const QString &file : {interfaceFile(), serviceFile()}) {
        if (!removeIfPresent(file))
            return Outcome::failed(removeErrorText(file));
    }
    return Outcome::done();
}

} // namespace Registration
