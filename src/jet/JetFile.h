#pragma once

#include <QString>

namespace JetFile {

// True when the file starts like a Jet 3/4 or ACE database ("Standard Jet DB" or
// "Standard ACE DB" at byte 4). Only the header is read.
bool isJetFile(const QString &file);

// The name under which a converted Jet file is kept: `<file>.jet`, or `.jet.1`, `.jet.2`,
// ... when that name is taken. A name that already is a second name of `file` itself
// (left by an attempt that was stopped) is given again, so no extra copy piles up.
QString keptName(const QString &file);

} // namespace JetFile
