#include "bookmarks/BackgroundImport.h"

#include "data/AppError.h"
#include "services/FailureOutcome.h"

BackgroundImport::BackgroundImport(LibraryLocation library, QObject *parent)
    : QObject(parent), m_library(std::move(library))
{}

BackgroundImport::~BackgroundImport()
{
    cancel();
    wait();
}

void BackgroundImport::wait()
{
    if (m_thread)
        m_thread->wait();
}

void BackgroundImport::startPlan(Reader reader)
{
    start([this, reader = std::move(reader)](DbConnection &db, const ImportService::Progress &progress) {
        m_plan = ImportService::plan(db, reader([this] { return m_cancel.load(); }), progress);
    });
}

void BackgroundImport::startStore(ImportPlan plan)
{
    m_plan = std::move(plan);
    start([this](DbConnection &db, const ImportService::Progress &progress) {
        StepScope scope;
        scope.keysOnly = true;
        m_steps.record(db, tr("导入书签"), scope, [&] {
            m_report = ImportService::store(db, m_plan, progress);
            return true;
        });
    });
}

void BackgroundImport::start(std::function<void(DbConnection &, const ImportService::Progress &)> work)
{
    wait();
    m_cancel = false;
    m_outcome = Outcome::done();
    m_report = ImportReport{};
    m_thread.reset(QThread::create([this, work = std::move(work)] {
        const ImportService::Progress progress = [this](qsizetype done, qsizetype total) {
            Q_EMIT progressed(done, total);
            return !m_cancel.load();
        };
        // The connection belongs to this thread: made, used and removed here.
        DbConnection db(QStringLiteral("import"));
        db.setLocation(m_library);
        // Another program may be writing: wait for it longer than the window's own
        // statements do, since the user sees the progress and may cancel.
        db.setBusyTimeout(15000);
        try {
            work(db, progress);
        } catch (const ImportCancelled &) {
            m_outcome = Outcome::cancelled();
        } catch (const AppError &error) {
            m_outcome = failureOutcome(error);
        }
    }));
    // Queued to the owner's thread: the results are complete when it arrives.
    connect(m_thread.get(), &QThread::finished, this, &BackgroundImport::finished, Qt::QueuedConnection);
    m_thread->start();
}
