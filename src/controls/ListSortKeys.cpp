#include "ListSortKeys.h"

#include <algorithm>
#include <cstring>

namespace ListSortKeys {

QStringEncoder textEncoder()
{
    // Qt knows GB18030 only through ICU, by name; without it the keys fall
    // back to UTF-8, which still gives a stable order.
    QStringEncoder encoder("GB18030", QStringConverter::Flag::Stateless);
    if (!encoder.isValid())
        return QStringEncoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    return encoder;
}

QByteArray textKey(QStringEncoder& encoder, const QString& text)
{
    QByteArray bytes = encoder.encode(text);
    for (char& byte : bytes) {
        if (byte >= 'a' && byte <= 'z')
            byte = char(byte - 'a' + 'A');
    }
    return bytes;
}

int compareTextKeys(const QByteArray& first, const QByteArray& second)
{
    const qsizetype common = std::min(first.size(), second.size());
    const auto* a = reinterpret_cast<const unsigned char*>(first.constData());
    const auto* b = reinterpret_cast<const unsigned char*>(second.constData());
    for (qsizetype i = 0; i < common; ++i) {
        if (a[i] != b[i])
            return int(a[i]) - int(b[i]);
    }
    if (first.size() == second.size())
        return 0;
    return first.size() < second.size() ? -1 : 1;
}

CountKey countKey(const QString& text)
{
    CountKey key;
    key.value = text.trimmed().toLongLong(&key.isNumber, 10);
    return key;
}

int compareCountKeys(const CountKey& first, const CountKey& second)
{
    if (first.isNumber != second.isNumber)
        return first.isNumber ? 1 : -1;
    if (first.value == second.value)
        return 0;
    return first.value < second.value ? -1 : 1;
}

} // namespace ListSortKeys
