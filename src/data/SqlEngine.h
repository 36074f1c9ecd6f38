#pragma once

#include <QString>
#include <QStringList>

class DbConnection;

// Every statement that only SQLite understands, kept together so that another engine
// needs one more file like this one and no change in the stores.
namespace SqlEngine {

// Takes the write lock at once, so that a busy database makes the caller wait the busy
// timeout up front instead of failing when a read would have to become a write.
QString beginWriteStatement();
QString commitStatement();
QString rollbackStatement();

// Readers and writers run side by side; the setting is stored in the file.
void useSharedJournal(DbConnection &db);

// The version stored in the file's header (0 for a file that never had one).
int schemaVersion(DbConnection &db);
QString setSchemaVersionStatement(int version);

// Names of the tables in the file, the engine's own ones left out.
QStringList tableNames(DbConnection &db);

// Whether LIKE takes a pattern this long (SQLite refuses one of more than 50,000 bytes).
bool likeTakesPattern(const QString &pattern);
// A condition true where `column` holds the bound text literally, for texts too long to
// be a LIKE pattern.
QString containsCondition(const QString &column);

// The hidden key that picks one row of a table that has no key of its own.
QString rowKeyColumn();

} // namespace SqlEngine
