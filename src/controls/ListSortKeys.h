#pragma once

#include <QByteArray>
#include <QString>
#include <QStringEncoder>

// Sort keys of the report list's columns. Each key is computed once per row and
// kept, so that a sort compares prepared keys only.
namespace ListSortKeys {

// The text columns compare the GB18030 bytes of their texts, so that Chinese
// texts stand in the order of their national encoding, with the ASCII letters
// a to z taken as A to Z.
QStringEncoder textEncoder();
QByteArray textKey(QStringEncoder& encoder, const QString& text);

// Byte by byte, unsigned: the difference of the first differing bytes, or of
// the lengths when one key is a prefix of the other.
int compareTextKeys(const QByteArray& first, const QByteArray& second);

// The visit-count column compares decimal integers; a text that is not one
// (an empty text included) stands before every number.
struct CountKey
{
    bool isNumber = false;
    qint64 value = 0;
};

CountKey countKey(const QString& text);
int compareCountKeys(const CountKey& first, const CountKey& second);

} // namespace ListSortKeys
