#pragma once

#include "data/AddressStore.h"
#include "data/DbConnection.h"
#include "services/Outcome.h"

#include <QStringList>
#include <functional>

// Finding the addresses whose address or name contains a text, and the history of search
// texts.
namespace SearchService {

// Entries of the search history that the table keeps.
constexpr int HistoryKept = 19;

// The text is matched literally (its % and _ are no wildcards), the case of every letter
// ignored.
AddressFilter filterFor(const QString &text);

// Hands each found row to `sink`, then remembers the text. Done with the number of rows;
// Failed or ReadOnly when the search failed, and then nothing is remembered. Failing to
// remember the text does not make the search fail: the history is a convenience.
Outcome search(DbConnection &db, const QString &text, const std::function<void(AddressRecord &&)> &sink);
// The same for a list that reads the rows itself: `list` shows the filter's rows, done
// with their number, or says why it could not.
Outcome searchListed(DbConnection &db, const QString &text, const std::function<Outcome(const AddressFilter &)> &list);
// Adds a text to the history. Refused with no text for an empty one.
Outcome remember(DbConnection &db, const QString &text);

struct History
{
    QStringList entries; // newest first
    Outcome outcome;
};
// Every stored entry, newest first; afterwards the table is trimmed to the HistoryKept
// newest, so right after a search the entries hold one more than the table keeps. When the
// trimming fails the entries read are still given, with the failure as the outcome.
History loadHistory(DbConnection &db);

} // namespace SearchService
