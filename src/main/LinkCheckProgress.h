#pragma once

#include "links/LinkHealthCheck.h"

#include <QString>

class QWidget;

// "检查链接" behind a progress dialog: the check runs in a worker thread with its own
// connection, the dialog shows done/total and can cancel it (what was checked is kept).
namespace LinkCheckProgress {

struct CheckRun
{
    bool ran = false; // false: it could not run, `error` says why
    bool cancelled = false;
    LinkCheckSummary summary;
    QString error;
    // The fixes the list's popup now offers: new addresses and page titles.
    int newAddresses = 0;
    int pageTitles = 0;
};

// Checks the addresses of `group`, or of every group when it is empty. Returns when the
// check ended; the dialog is gone by then.
CheckRun run(QWidget *parent, const QString &group);

// What the box after the check says.
QString report(const CheckRun &outcome);

} // namespace LinkCheckProgress
