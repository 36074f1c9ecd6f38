#pragma once

#include "bookmarks/Bookmark.h"
#include "data/DbConnection.h"

#include <functional>

// One bookmark as the import offers it.
struct ImportRow
{
    QString group;
    QString title;
    QString url; // as the source stored it
    QString address; // as it will be stored: the editor's normalisation applied
    QString viewTime; // stored form of the last visit, else of the day it was added
    bool duplicate = false;
    QString duplicateHint; // where the same address is stored already
    bool checked = true; // duplicates start unchecked
};

// What an import would do: the rows with their duplicates marked, and what the source
// held that is no row.
struct ImportPlan
{
    QString sourceName;
    std::vector<ImportRow> rows;
    std::vector<SkippedEntry> notWeb;
    int separators = 0;
    int emptyFolders = 0;
    int tooDeep = 0; // bookmarks left out below the folder depth limit
    int badBytes = 0; // bytes of the file read as U+FFFD
};

// What an import did.
struct ImportReport
{
    int imported = 0;
    int duplicates = 0; // skipped as duplicates
    int unchecked = 0; // left out by the user
    int notWeb = 0;
    int groupsCreated = 0;
    int emptyFolders = 0; // folders of the source without bookmarks: no group is made
    int tooDeep = 0; // bookmarks in folders deeper than maxFolderDepth, left out
    int badBytes = 0; // bytes of the file that were no text, read as U+FFFD
    std::vector<SkippedEntry> skipped; // every entry that was not stored, with the reason

    // The counts on one line; those of what is rare (bookmarks too deep, bytes that are
    // no text) only when there are any.
    QString summary() const;
    // The counts a line each, as the import window shows them.
    QString lines() const;
    // One skipped entry a line: group, title, address and reason.
    QString details() const;

    Q_DECLARE_TR_FUNCTIONS(ImportReport)
};

namespace ImportService {

// Gives whether to go on; called now and then with the rows done so far.
using Progress = std::function<bool(qsizetype done, qsizetype total)>;

// Marks the duplicates: an address whose key (the editor's normalisation, host case
// ignored) is stored in the row's group already, or came earlier in the same source.
ImportPlan plan(DbConnection &db, BookmarkSet &&set, const Progress &progress = {});
// Stores the checked rows, creating the groups that are missing, in one transaction.
// A row that was no duplicate when planned but is stored by now (another import ran
// meanwhile) is skipped as a duplicate.
// A failure (AppError) or a cancel (ImportCancelled) rolls all of it back.
ImportReport store(DbConnection &db, const ImportPlan &plan, const Progress &progress = {});
// Reads a bookmark file, plans and stores every row that is no duplicate.
ImportReport importFile(DbConnection &db, const QString &file);

} // namespace ImportService
