#pragma once

#include "jet/JetReader.h"
#include "jet/JetRecords.h"

#include <QString>

// Converts a Jet address file in place into the program's own database, with nothing
// lost and nothing put at risk:
//  1. the new database is written to a file of its own in the same folder and checked
//     (integrity check, and every table holds as many rows as was read);
//  2. it leaves WAL mode, so that no -wal file holds part of its data;
//  3. the Jet file gets a second name with link() (`<file>.jet`, never over another file);
//  4. the new file is renamed over `file` in one step.
// Killed at any moment, the folder holds either the untouched Jet file or the finished
// database beside the kept Jet file; the Jet file's bytes never change.
namespace JetConversion {

struct Result
{
    QString keptJetFile; // where the Jet file is kept now
    JetCounts counts;
    bool importGroupAdded = false; // the file lacked the import group
};

// Throws AppError (the file, and what could not be read or written); then nothing on
// disk has changed.
Result convertInPlace(const QString &file, const JetReader::Options &options = {});

// The name of the work file beside `file`; one left by a stopped run is removed first.
QString workFileFor(const QString &file);

// Removes what a conversion of `file` that was stopped part-way left beside it (the work
// file, its journals, a half-built new file); the Jet file itself is never touched.
void removeLeftovers(const QString &file);

} // namespace JetConversion
