#pragma once

#include "links/LinkCheckSettings.h"
#include "links/LinkChecker.h"
#include "links/LinkFixes.h"

#include <QObject>

class DbConnection;

// Counts of one check of the library.
struct LinkCheckSummary
{
    int ok = 0;
    int moved = 0;
    int broken = 0;
    int unreachable = 0;
    int notChecked = 0;

    int total() const { return ok + moved + broken + unreachable + notChecked; }
    void count(LinkStatus status);
    // "checked N: ok A, moved M, broken B, unreachable U, not checked K"
    QString line() const;
};

// Checks the addresses of the library, or of one group, and stores what it finds as it
// goes (in batches, each in one transaction), so that a check cut short keeps what was
// checked. Each address text is checked once however many rows hold it; its title is
// asked for where a row's name is empty or the address itself. Site icons are stored
// as they come. Runs in the thread it lives in; `db` is that thread's own connection.
class LinkHealthCheck : public QObject
{
    Q_OBJECT

public:
    LinkHealthCheck(DbConnection &db, const LinkCheckSettings &settings, QObject *parent = nullptr);

    // Reads the addresses and starts. Failed, and then nothing starts and `finished` does
    // not follow, for a group that does not exist or a database that cannot be read.
    Outcome start(const QString &group = {});
    // Stops; what was checked is stored, `finished` follows.
    void cancel();

    const LinkCheckSummary &summary() const { return m_summary; }
    // Every result that is not ok (nor not checked), in the order the addresses are listed.
    QList<LinkResult> problems() const;
    // The fixes the results offer, in the same order: a new address for a moved one, the
    // page's title where a row's name is empty or the address itself.
    QList<LinkFixes::Fix> fixes() const;
    // Why the results could not be stored; empty when they were.
    QString storeError() const { return m_storeError; }

Q_SIGNALS:
    void progress(int done, int total);
    void finished();

private:
    void take(int index, const LinkResult &result);
    void storeBatch();
    void end();

    DbConnection &m_db;
    LinkChecker m_checker;
    std::vector<LinkTarget> m_targets;
    std::vector<LinkResult> m_results; // by target, kept for problems()
    QList<LinkResult> m_unstored;
    LinkCheckSummary m_summary;
    QString m_checkedAt;
    QString m_storeError;
};
