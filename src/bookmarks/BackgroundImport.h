#pragma once

#include "bookmarks/ImportService.h"
#include "data/LibraryHistory.h"
#include "data/LibraryLocation.h"
#include "services/Outcome.h"

#include <QObject>
#include <QThread>
#include <atomic>
#include <memory>

// Runs the slow half of an import (reading and planning a large source, or storing its
// rows) on a thread of its own, with a database connection of its own, so that the
// window keeps answering and never runs an event loop while the shared connection has
// a transaction open. Progress arrives as signals on the owner's thread.
class BackgroundImport : public QObject
{
    Q_OBJECT

public:
    explicit BackgroundImport(LibraryLocation library, QObject *parent = nullptr);
    // Cancels what still runs and waits for it.
    ~BackgroundImport() override;

    // Reads a source, asking the cancel given to it now and then, and plans the import.
    using Reader = std::function<BookmarkSet(const ReadCancel &cancel)>;
    void startPlan(Reader reader);
    // Stores the checked rows of `plan` in one transaction.
    void startStore(ImportPlan plan);
    // Asks the work to stop: a reading stops, a store is rolled back.
    void cancel() { m_cancel = true; }
    bool isRunning() const { return m_thread && m_thread->isRunning(); }

    // After finished(): what the work gave.
    ImportPlan takePlan() { return std::move(m_plan); }
    const ImportReport &report() const { return m_report; }
    // Done, cancelled (nothing stored), or failed with the database's text.
    const Outcome &outcome() const { return m_outcome; }
    // After finished(): the store as a step of history, for the session's to take over.
    LibraryHistory &steps() { return m_steps; }

Q_SIGNALS:
    void progressed(qint64 done, qint64 total);
    void finished();

private:
    void start(std::function<void(DbConnection &, const ImportService::Progress &)> work);
    void wait();

    LibraryLocation m_library;
    std::unique_ptr<QThread> m_thread;
    std::atomic<bool> m_cancel{false};
    ImportPlan m_plan;
    ImportReport m_report;
    LibraryHistory m_steps;
    Outcome m_outcome = Outcome::done();
};
