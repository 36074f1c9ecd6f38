#include "app/Startup.h"

#include "app/BookmarkCommands.h"
#include "app/CheckLinksCommand.h"
#include "app/CopyDatabaseCommand.h"
#include "app/RecycleBinCommand.h"
#include "app/ImportMdbCommand.h"
#include "app/JetStart.h"
#include "app/SingleInstance.h"
#include "app/StartOptions.h"
#include "automation/AutomationServer.h"
#include "automation/NativeHost.h"
#include "automation/SendUrlClient.h"
#include "data/DailyBackup.h"
#include "data/SharedConnection.h"
#include "data/RecycleBin.h"
#include "data/SettingsStore.h"
#include "editor/AddressEditor.h"
#include "jet/JetFile.h"
#include "main/MainWindow.h"
#include "platform/Dialogs.h"
#include "platform/Language.h"
#include "services/CommandWork.h"
#include "services/LibraryReads.h"

#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <cstdio>
#include <memory>

namespace {

// For start-up benchmarks: ends the program once the main window has been painted for
// the first time, as though the user closed it at once (no question, no animation).
class ExitAfterFirstPaint : public QObject
{
public:
    explicit ExitAfterFirstPaint(QWidget *window) : m_window(window) { qApp->installEventFilter(this); }

    static bool requested() { return qEnvironmentVariableIntValue("VESTRANE_EXIT_AFTER_FIRST_PAINT") == 1; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // The window and its children paint in one pass; the timer runs after that pass.
        auto *widget = qobject_cast<QWidget *>(watched);
        if (event->type() == QEvent::Paint && widget && widget->window() == m_window && !m_done) {
            m_done = true;
            QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
        }
        return false;
    }

private:
    QWidget *m_window;
    bool m_done = false;
};

// What the recycle bin kept longer than `RecycleDays` goes at each start, once the window
// opened the library: one that could not be opened (a server away) is left for the next
// start, and one that cannot be written said so already.
void dropExpiredDeletions(DbConnection &db)
{
    if (!db.isOpen() || db.isReadOnly())
        return;
    CommandWork::dropExpiredDeletions(db);
}

} // namespace

int runVestrane(int argc, char **argv)
{
    const StartOptions options = StartOptions::parse(argc, argv);
    // A command line the program does not take is refused before anything starts, beside
    // a running instance too.
    if (!options.error.isEmpty()) {
        std::fputs(options.errorReport().toUtf8().constData(), stderr);
        return 2;
    }
    switch (options.mode) {
    case StartMode::SendUrl: return SendUrlClient::run(argc, argv, options.address, options.name);
    case StartMode::Import:
    case StartMode::Export: return BookmarkCommands::run(argc, argv, options);
    case StartMode::CheckLinks: return CheckLinksCommand::run(argc, argv, options);
    case StartMode::ImportMdb: return ImportMdbCommand::run(argc, argv, options.file);
    case StartMode::CopyDatabase: return CopyDatabaseCommand::run(argc, argv, options.file);
    case StartMode::RecycleBin:
    case StartMode::Restore: return RecycleBinCommand::run(argc, argv, options);
    case StartMode::NativeMessaging: return NativeHost::run(argc, argv);
    case StartMode::Help: std::fputs(StartOptions::usage().toUtf8().constData(), stdout); return 0;
    case StartMode::Version: std::fputs(StartOptions::versionLine().toUtf8().constData(), stdout); return 0;
    case StartMode::Register:
    case StartMode::Unregister:
        // The files are brought up to date whether or not a window is open: this start
        // is a command, not a second instance of the window.
        return AutomationServer::registrationStep(options.mode, argc, argv).value_or(0);
    case StartMode::Normal:
    case StartMode::BusStarted:
    case StartMode::Refused: break;
    }

    SingleInstance instance;
    switch (instance.acquire()) {
    case SingleInstance::Claim::HeldByAnother: return 0; // another instance runs: end at once, silently
    case SingleInstance::Claim::Unavailable:
        std::fprintf(stderr, "vestrane: %s\n", qPrintable(instance.problem()));
        break;
    case SingleInstance::Claim::Acquired: break;
    }

    if (const std::optional<int> exitCode = AutomationServer::registrationStep(options.mode, argc, argv))
        return *exitCode;
    if (options.mode == StartMode::BusStarted && AutomationServer::displayMissing())
        return AutomationServer::answerWithoutDisplay(argc, argv);

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("vestrane"));
    // Before the first window or box, so that every text is in the user's language.
    Language::install();
    SettingsStore::writeDefaultsIfMissing();
    AutomationServer server(options.mode);
    QObject::connect(&server, &AutomationServer::endRequested, &app, &QCoreApplication::quit);
    server.startServing();

    SharedConnection sharedConnection;
    // A failure has the default error report, then start-up goes on with the next step.
    const Outcome configured = LibraryReads::configure(sharedConnection);
    if (!configured.ok())
        Dialogs::errorReport(nullptr, configured.message);
    offerJetConversion(sharedConnection.connection());
    // Before the main window opens the database, which may upgrade it. A Jet file the user
    // chose not to convert is no SQLite database to copy; its error comes with the window.
    const QString databaseFile = sharedConnection.connection().location().filePath();
    const QString backupFailure = JetFile::isJetFile(databaseFile) ? QString() : DailyBackup::takeIfDue(databaseFile);
    MainWindow mainWindow(sharedConnection);
    QApplication::setWindowIcon(mainWindow.iconPicture());
    mainWindow.setCloseQuestion([&] { return server.mayClose(&mainWindow); });
    // The editors of calls belong to the main window, so that they open above it.
    server.editors()->setOwner(&mainWindow);
    // What another program sends is undone from the main window like its own commands.
    server.editors()->setHistory(&sharedConnection.history());
    // Closing the main window ends the program even while an editor of a call is open.
    QObject::connect(&mainWindow, &CaptionWindow::closed, &app, &QCoreApplication::quit);
    std::unique_ptr<ExitAfterFirstPaint> benchmarkExit;
    if (ExitAfterFirstPaint::requested())
        benchmarkExit = std::make_unique<ExitAfterFirstPaint>(&mainWindow);
    mainWindow.show();
    QTimer::singleShot(0, &mainWindow, [&sharedConnection] { dropExpiredDeletions(sharedConnection.connection()); });
    if (!backupFailure.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(backupFailure));
        QTimer::singleShot(0, &mainWindow, [&] {
            Dialogs::show(&mainWindow, backupFailure, QCoreApplication::translate("Startup", "提示"));
        });
    }
    auto editor = std::make_unique<AddressEditor>(&mainWindow);
    editor->setHistory(&sharedConnection.history());
    mainWindow.setEditor(editor.get());

    app.exec();
    return 0;
}
