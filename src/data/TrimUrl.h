#pragma once

#include <QString>

// Address normalisation before an address is stored: a leading "http:" or "HTTP:"
// (exactly those two spellings) goes together with the two characters after it, then
// one final "/". The prefix stays when what would remain is a script address
// (javascript:, vbscript:, data:) or starts with "-" (a browser would take it for an
// option), so that the trim never turns a web address into either.
QString trimmedAddress(const QString &address);

// Whether a browser handed this text would take it for a command-line option: its first
// character that is no blank or control character is "-".
bool looksLikeOption(const QString &address);

// Whether the text is a script address: javascript:, vbscript: or data:, read as a
// browser reads it (letter case, leading blanks and tabs or line breaks inside ignored).
bool isScriptAddress(const QString &address);
