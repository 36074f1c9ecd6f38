#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

#include <functional>

// What a run of the built program (VESTRANE_BINARY) gave.
struct ProgramRun
{
    int exitCode = -1; // -1 when it crashed or did not end within a minute
    QString out;
    QString err;
};

// Runs the built program as a command line is run without a display: no DISPLAY and a Qt
// platform that does not exist, so that any use of a window fails. `prepareChild` runs in
// the child before the program starts (to give it another standard output, say).
inline ProgramRun runProgram(const QStringList &arguments, const std::function<void()> &prepareChild = {})
{
    QProcess process;
    if (prepareChild)
        process.setChildProcessModifier(prepareChild);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("none-at-all"));
    process.setProcessEnvironment(environment);
    process.start(qEnvironmentVariable("VESTRANE_BINARY"), arguments);
    if (!process.waitForFinished(60000))
        return {};
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
}
