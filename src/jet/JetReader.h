#pragma once

#include "jet/JetRecords.h"

#include <QString>

// Reads the tables `BaseGroup`, `address` and `Search` (any letter case; `Search` may be
// missing) of a Jet address file and hands every row to a sink.
//
// libmdb is not built to meet damaged files: on some it crashes or loops. So the file
// is read in a child process of its own, which sends the rows over a pipe; a crash, a
// stall or a table that gives fewer rows than it holds becomes an AppError whose text
// names the file and what could not be read. The sink runs in the calling process.
namespace JetReader {

struct Options
{
    // A child that sends nothing for this long is taken for hung and stopped.
    int stallTimeoutMs = 30000;
};

JetCounts read(const QString &file, JetSink &sink, const Options &options = {});

// Whether `message` is one of read()'s failures for `file`, which name the file already.
bool isReadFailure(const QString &message, const QString &file);

} // namespace JetReader
