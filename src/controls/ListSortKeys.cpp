#include "ListSortKeys.h"

#include <QCollator>
#include <QLocale>

#include <algorithm>
#include <numeric>

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

int compareTextKeys(const char* first, qsizetype firstLength, const char* second,
                    qsizetype secondLength)
{
    const qsizetype common = std::min(firstLength, secondLength);
    const auto* a = reinterpret_cast<const unsigned char*>(first);
    const auto* b = reinterpret_cast<const unsigned char*>(second);
    for (qsizetype i = 0; i < common; ++i) {
        if (a[i] != b[i])
            return int(a[i]) - int(b[i]);
    }
    if (firstLength == secondLength)
        return 0;
    return firstLength < secondLength ? -1 : 1;
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

void TextKeyColumn::clear()
{
    m_bytes.clear();
    m_spans.clear();
}

void TextKeyColumn::removeAt(int row)
{
    // The bytes stay in the buffer until the next clear.
    if (size_t(row) < m_spans.size())
        m_spans.erase(m_spans.begin() + row);
}

void TextKeyColumn::permute(const std::vector<int>& order)
{
    if (m_spans.empty())
        return;
    m_spans.resize(order.size());
    std::vector<Span> sorted;
    sorted.reserve(order.size());
    for (int from : order)
        sorted.push_back(m_spans[size_t(from)]);
    m_spans = std::move(sorted);
}

void TextKeyColumn::build(const std::vector<ListRow>& rows, int subItem, QStringEncoder& encoder)
{
    m_spans.resize(rows.size());
    for (size_t row = 0; row < rows.size(); ++row) {
        Span& span = m_spans[row];
        if (span.length >= 0)
            continue;
        const QByteArray key = textKey(encoder, rows[row].subItems.value(subItem));
        span.offset = m_bytes.size();
        span.length = key.size();
        m_bytes.append(key);
    }
}

int TextKeyColumn::compare(int first, int second) const
{
    const Span& a = m_spans[size_t(first)];
    const Span& b = m_spans[size_t(second)];
    const char* bytes = m_bytes.constData();
    return compareTextKeys(bytes + a.offset, a.length, bytes + b.offset, b.length);
}

void RowSortKeys::clear()
{
    m_captions.clear();
    m_counts.clear();
    m_texts.clear();
}

void RowSortKeys::removeAt(int row)
{
    m_captions.removeAt(row);
    m_counts.removeAt(row);
    for (auto& [subItem, keys] : m_texts)
        keys.removeAt(row);
}

void RowSortKeys::permute(const std::vector<int>& order)
{
    m_captions.permute(order);
    m_counts.permute(order);
    for (auto& [subItem, keys] : m_texts)
        keys.permute(order);
}

void RowSortKeys::prepare(int column, const std::vector<ListRow>& rows)
{
    const int rowCount = int(rows.size());
    if (column == 0) {
        prepareCaptions(rows);
    } else if (column == CountColumn) {
        m_counts.build(rowCount, [&rows](int row) {
            return countKey(rows[size_t(row)].subItems.value(CountSubItem));
        });
    } else {
        QStringEncoder encoder = textEncoder();
        m_texts[column - 1].build(rows, column - 1, encoder);
    }
}

void RowSortKeys::prepareCaptions(const std::vector<ListRow>& rows)
{
    // Collator keys belong to one locale; a changed default locale starts afresh.
    const QLocale locale;
    if (locale.name() != m_captionLocale) {
        m_captions.clear();
        m_captionLocale = locale.name();
    }
    QCollator collator(locale);
    collator.setCaseSensitivity(Qt::CaseSensitive);
    m_captions.build(int(rows.size()), [&](int row) {
        return collator.sortKey(rows[size_t(row)].caption);
    });
}

std::vector<int> RowSortKeys::sortedOrder(int column, bool ascending,
                                          const std::vector<ListRow>& rows)
{
    prepare(column, rows);
    std::vector<int> order(rows.size());
    std::iota(order.begin(), order.end(), 0);

    // The column's keys are looked up once, not at every comparison.
    auto sortBy = [&order, ascending](auto compare) {
        std::stable_sort(order.begin(), order.end(), [&compare, ascending](int first, int second) {
            const int r = compare(first, second);
            return ascending ? r < 0 : r > 0;
        });
    };
    if (column == 0) {
        const KeyColumn<QCollatorSortKey>& keys = m_captions;
        sortBy([&keys](int a, int b) { return keys.at(a).compare(keys.at(b)); });
    } else if (column == CountColumn) {
        const KeyColumn<CountKey>& keys = m_counts;
        sortBy([&keys](int a, int b) { return compareCountKeys(keys.at(a), keys.at(b)); });
    } else {
        const TextKeyColumn& keys = m_texts.at(column - 1);
        sortBy([&keys](int a, int b) { return keys.compare(a, b); });
    }
    return order;
}

} // namespace ListSortKeys
