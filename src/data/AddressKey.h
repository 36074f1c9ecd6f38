#pragma once

#include <QString>

// When two addresses count as the same one: equal after the editor's normalisation
// (trimmedAddress), with the host's letter case ignored. Imports skip an address whose key
// is already stored in the target group.
QString addressKey(const QString &address);
