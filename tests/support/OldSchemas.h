#pragma once

#include <QStringList>

class SqlEngine;

// Databases as earlier versions of the program made them, each with the same two
// addresses, for the tests of the upgrade. Run them with TestEngine::runAsAnotherProgram.
namespace OldSchemas {

// Version 0, SQLite only: before the folded search columns, and without any index.
QStringList versionZero();
// Version 1 on this engine: the folded columns, no search index.
QStringList versionOne(const SqlEngine &engine);

} // namespace OldSchemas
