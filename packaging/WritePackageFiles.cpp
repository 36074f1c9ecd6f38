// Writes the system-wide files of the package with the same text the program writes
// for one user at -regserver: the session bus's service file, the native-messaging
// launcher and the browsers' host manifests, all naming the installed executable.
//   vestrane_package_files OUTPUT_FOLDER EXECUTABLE LAUNCHER
#include "automation/BrowserHosts.h"
#include "automation/Registration.h"
#include "data/AppError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <cstdio>

namespace {

bool write(const QString &file, const QByteArray &contents)
{
    QFile out(file);
    if (!QDir().mkpath(QFileInfo(file).absolutePath()) || !out.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || out.write(contents) != contents.size()) {
        std::fprintf(stderr, "vestrane_package_files: cannot write %s\n", qPrintable(file));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: vestrane_package_files OUTPUT_FOLDER EXECUTABLE LAUNCHER\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]) + QLatin1Char('/');
    const QString executable = QString::fromLocal8Bit(argv[2]);
    const QString launcher = QString::fromLocal8Bit(argv[3]);
    try {
        const bool written =
            write(folder + QLatin1String(Registration::BusName) + QStringLiteral(".service"),
                  Registration::serviceFileContents(executable))
            && write(folder + QStringLiteral("native-messaging-host"), BrowserHosts::launcherContents(executable))
            && write(folder + QStringLiteral("firefox/vestrane.json"), BrowserHosts::firefoxManifest(launcher))
            && write(folder + QStringLiteral("chromium/vestrane.json"), BrowserHosts::chromiumManifest(launcher));
        return written ? 0 : 1;
    } catch (const AppError &error) {
        std::fprintf(stderr, "vestrane_package_files: %s\n", qPrintable(error.message()));
        return 1;
    }
}
