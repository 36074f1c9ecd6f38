#pragma once

class QString;

// `vestrane --copy-database TO`: copies the library the settings name to TO (a PostgreSQL
// URI or an SQLite file) and prints what was copied. Needs no display. Exit code 0, or 1
// with the reason on standard error (a target that holds addresses already, say).
namespace CopyDatabaseCommand {

int run(int &argc, char **argv, const QString &target);

} // namespace CopyDatabaseCommand
