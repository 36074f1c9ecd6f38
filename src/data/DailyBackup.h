#pragma once

#include <QDate>
#include <QString>

// A copy of the address database per day, taken at the first start of the day before
// anything is written: `backups/address-YYYY-MM-DD.mdb` beside the database. Only the
// newest copies are kept.
namespace DailyBackup {

constexpr int KeptCopies = 7;

QString folderFor(const QString &databaseFile);
QString copyNameFor(const QDate &day);

// Takes the day's copy unless it exists, there is no database yet, or the database
// cannot be changed (a read-only folder); `databaseFile` is empty for a library on a
// server, which is the server's administrator's to back up; then removes the oldest copies beyond `keep`.
// Gives the text to show the user when the copy failed, empty otherwise. Never throws.
QString takeIfDue(const QString &databaseFile, const QDate &today = QDate::currentDate(), int keep = KeptCopies);

} // namespace DailyBackup
