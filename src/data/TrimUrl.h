#pragma once

#include <QString>

// Address normalisation before an address is stored: a leading "http:" or "HTTP:"
// (exactly those two spellings) goes together with the two characters after it, then
// one final "/".
QString P_TrimUrl(const QString &address);
