#pragma once

#include <QString>
#include <sys/types.h>

// A bookmark library tells what its owner reads, so the folders and files the program
// makes for it (data folder, library, backups, settings file) are its owner's alone. A
// folder that gives its group the right to write is taken for shared on purpose: files
// made there are the group's too.
namespace PrivateFiles {

// Makes the folder and its parents where missing; a folder made here is the owner's alone
// (0700), or also its group's inside a shared folder. False when it cannot be made.
bool makeFolder(const QString &folder);
// The modes of a new file in the folder: read and write for the owner, and for the group
// where the folder is shared; never more than the umask allows.
mode_t fileModeIn(const QString &folder);
// Creates an empty file with those modes (an existing file is emptied, its modes kept).
bool createEmpty(const QString &file);

} // namespace PrivateFiles
