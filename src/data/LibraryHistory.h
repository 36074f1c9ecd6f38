#pragma once

#include "data/DbConnection.h"
#include "data/MovedRows.h"

#include <QString>
#include <QVariantList>

#include <deque>
#include <functional>
#include <memory>
#include <vector>

// Which stored rows a command may change or delete, besides the rows it adds (found by
// their keys, above every key stored before it ran). Each condition names columns of its
// table without an alias; an empty one picks no row.
struct StepScope
{
    QString addresses;
    QVariantList addressValues;
    QString groups;
    QVariantList groupValues;
    QString binRows; // rows of the recycle bin
    QVariantList binValues;
    // A statement giving keys of addresses the command may store below the keys of new
    // rows (a restore puts a row back at its old place), whether or not a row has them now.
    QString addressKeys;
    QVariantList addressKeyValues;
    // The step keeps only the keys of the rows the command added (an import's thousands),
    // with a digest of each to find changes, not the rows.
    bool keysOnly = false;
    // A command that fails halfway keeps what it wrote before the failure (an import keeps
    // the rows before a refused one), where the engine lets the transaction go on; that is
    // then the step. Otherwise a failure takes back all of it.
    bool keepsWorkBeforeFailure = false;
    // The command tells the history every row it moves between the address table and the
    // recycle bin (MovedRows), so that the history reads neither table before or after it:
    // for a group's thousands of rows those reads cost more than the move. The conditions
    // `addresses` and `binRows` are then left empty.
    bool reportsMovedRows = false;
};

// What an undo or a redo did: done, or refused with the text for the user (nothing changed).
struct HistoryResult
{
    bool done = false;
    QString message;
};

// The undo and redo history of one session: each command run through record() becomes a
// step that holds the rows it touched as they were before and after it (groups, addresses
// and rows of the recycle bin, each with its key: the same group number, visits, date,
// favourite mark and place come back). An undo or a redo first compares the rows as they
// are stored now with what the step left there; a row changed since by another writer
// refuses it, as does a row whose group is gone, and nothing changes then. Visits are not
// undone: a row that stays keeps its visit count and date. The history is bounded by the
// memory its steps hold, the oldest steps going first. Every function throws AppError
// when the database refuses.
class LibraryHistory
{
    Q_DECLARE_TR_FUNCTIONS(LibraryHistory)

public:
    static constexpr qint64 DefaultMemoryLimit = qint64(256) * 1024 * 1024;

    explicit LibraryHistory(qint64 memoryLimit = DefaultMemoryLimit);
    ~LibraryHistory();
    LibraryHistory(const LibraryHistory &) = delete;
    LibraryHistory &operator=(const LibraryHistory &) = delete;

    // Runs `command` inside one transaction that records what it changed; `command` gives
    // false when it did not do its work, which rolls the transaction back (but see
    // StepScope::keepsWorkBeforeFailure). A step that changed nothing is not kept. Gives
    // what `command` gave.
    bool record(DbConnection &db, const QString &label, const StepScope &scope, const std::function<bool()> &command);
    // The same for a command that can report the rows it moves: it is given where to
    // report them when the scope says it does (StepScope::reportsMovedRows), else null.
    bool record(DbConnection &db, const QString &label, const StepScope &scope,
                const std::function<bool(MovedRows *)> &command);

    bool canUndo() const { return !m_undo.empty(); }
    bool canRedo() const { return !m_redo.empty(); }
    // The command of the step an undo or a redo would take back or do again.
    QString undoLabel() const;
    QString redoLabel() const;
    HistoryResult undo(DbConnection &db);
    HistoryResult redo(DbConnection &db);

    // Takes over the steps `other` recorded (on another thread, say) as the newest ones.
    void takeSteps(LibraryHistory &other);

    int undoCount() const { return int(m_undo.size()); }
    int redoCount() const { return int(m_redo.size()); }
    // About how many bytes the steps hold.
    qint64 memoryUsed() const { return m_bytes; }
    void clear();

    struct Step;

private:
    bool recordStep(DbConnection &db, const QString &label, const StepScope &scope, MovedRows *moved,
                    const std::function<bool()> &command);
    HistoryResult move(DbConnection &db, bool back);
    void trim();

    qint64 m_limit;
    qint64 m_bytes = 0;
    QString m_location; // the library the steps belong to
    std::deque<std::unique_ptr<Step>> m_undo;
    std::deque<std::unique_ptr<Step>> m_redo;
};
