#pragma once

#include <QString>

// The longest text SendUrl takes, the longest address a browser keeps (2 MiB of
// characters). Anything longer is refused before a widget sees it: a text of hundreds of
// megabytes would otherwise hold the program busy for a minute and take gigabytes.
namespace ArgumentLimit {

inline constexpr qsizetype MaxCharacters = qsizetype(2) * 1024 * 1024;

// The refusal for the first of the two texts that is too long; empty when both fit.
inline QString refusal(const QString &Name1, const QString &Name2)
{
    const auto tooLong = [](const char *name, qsizetype length) {
        return QStringLiteral("%1 is %2 characters long; SendUrl takes at most %3 characters (2 MiB)")
            .arg(QLatin1String(name))
            .arg(length)
            .arg(MaxCharacters);
    };
    if (Name1.size() > MaxCharacters)
        return tooLong("Name1", Name1.size());
    if (Name2.size() > MaxCharacters)
        return tooLong("Name2", Name2.size());
    return QString();
}

} // namespace ArgumentLimit
