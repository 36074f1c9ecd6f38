#include "ListSortKeys.h"

#include <QCollator>
#include <QHash>
#include <QLocale>
#include <QtEndian>

#include <algorithm>
#include <cstring>
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

QByteArray textKey(QStringEncoder &encoder, const QString &text)
{
    QByteArray bytes = encoder.encode(text);
    for (char &byte : bytes) {
        if (byte >= 'a' && byte <= 'z')
            byte = char(byte - 'a' + 'A');
    }
    return bytes;
}

int compareTextKeys(const char *first, qsizetype firstLength, const char *second, qsizetype secondLength)
{
    const qsizetype common = std::min(firstLength, secondLength);
    if (common > 0) {
        if (const int result = std::memcmp(first, second, size_t(common)))
            return result;
    }
    if (firstLength == secondLength)
        return 0;
    return firstLength < secondLength ? -1 : 1;
}

bool AsciiCollation::isPrintableAscii(QStringView text)
{
    // Four UTF-16 units at a time: a unit is printable ASCII when it is below 0x80, at
    // least 0x20 (0x60 added sets its bit 7) and not 0x7F (1 added leaves bit 7 clear).
    // No sum carries into the next unit.
    constexpr quint64 lanes = 0x0001000100010001ull;
    constexpr quint64 bit7 = 0x0080 * lanes;
    const char16_t *units = text.utf16();
    const qsizetype size = text.size();
    qsizetype i = 0;
    for (; i + 4 <= size; i += 4) {
        quint64 word;
        std::memcpy(&word, units + i, sizeof word);
        if ((word & (0xFF80 * lanes)) != 0 || ((word + 0x60 * lanes) & bit7) != bit7 || ((word + lanes) & bit7) != 0)
            return false;
    }
    for (; i < size; ++i) {
        if (units[i] < 0x20 || units[i] > 0x7E)
            return false;
    }
    return true;
}

bool AsciiCollation::isPrintableAscii(QLatin1StringView text)
{
    for (char c : text) {
        if (c < 0x20 || c > 0x7E)
            return false;
    }
    return true;
}

std::optional<AsciiCollation> AsciiCollation::forCollator(const QCollator &collator)
{
    // Characters that differ only in case share a primary weight; the collator without
    // case tells which those are, the collator itself orders each such class.
    QCollator caseless = collator;
    caseless.setCaseSensitivity(Qt::CaseInsensitive);
    std::vector<QString> characters;
    for (char16_t c = 0x20; c <= 0x7E; ++c)
        characters.emplace_back(QChar(c));
    std::stable_sort(characters.begin(), characters.end(),
                     [&collator](const QString &a, const QString &b) { return collator.compare(a, b) < 0; });
    AsciiCollation table;
    int primary = 0;
    int tertiary = 0;
    for (size_t i = 0; i < characters.size(); ++i) {
        if (i > 0 && caseless.compare(characters[i - 1], characters[i]) != 0) {
            ++primary;
            tertiary = 0;
        } else if (i > 0) {
            ++tertiary;
        }
        const char16_t c = characters[i].at(0).unicode();
        table.m_primary[c] = static_cast<unsigned char>(primary + 1);
        table.m_tertiary[c] = static_cast<unsigned char>(tertiary);
    }

    // Every text of one or two such characters, in the collator's order, must stand in
    // the table's order too, with the same ties.
    std::vector<QString> texts = characters;
    for (const QString &a : characters) {
        for (const QString &b : characters)
            texts.push_back(a + b);
    }
    std::vector<QCollatorSortKey> keys;
    keys.reserve(texts.size());
    for (const QString &text : texts)
        keys.push_back(collator.sortKey(text));
    std::vector<int> order(texts.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(),
              [&keys](int a, int b) { return keys[size_t(a)].compare(keys[size_t(b)]) < 0; });
    for (size_t i = 1; i < order.size(); ++i) {
        const int expected = keys[size_t(order[i - 1])].compare(keys[size_t(order[i])]);
        const int actual = table.compare(texts[size_t(order[i - 1])], texts[size_t(order[i])]);
        if ((expected < 0) != (actual < 0) || (expected == 0) != (actual == 0))
            return std::nullopt;
    }
    return table;
}

namespace {

// The code of a character of a Latin-1 or UTF-16 text, as an index into the tables.
inline unsigned unitAt(QLatin1StringView text, qsizetype i)
{
    return static_cast<unsigned char>(text.data()[i]);
}

inline unsigned unitAt(QStringView text, qsizetype i)
{
    return text.utf16()[i];
}

} // namespace

template <typename View>
void AsciiCollation::primaryPrefixOf(View text, quint64 *prefix) const
{
    unsigned char weights[PrefixBytes] = {};
    const qsizetype count = std::min<qsizetype>(text.size(), PrefixBytes);
    for (qsizetype i = 0; i < count; ++i)
        weights[i] = m_primary[unitAt(text, i)];
    for (int word = 0; word < PrefixWords; ++word)
        prefix[word] = qFromBigEndian<quint64>(weights + qsizetype(word) * 8);
}

void AsciiCollation::primaryPrefix(QStringView text, quint64 *prefix) const
{
    primaryPrefixOf(text, prefix);
}

void AsciiCollation::primaryPrefix(QLatin1StringView text, quint64 *prefix) const
{
    primaryPrefixOf(text, prefix);
}

template <typename FirstView, typename SecondView>
int AsciiCollation::compareViews(FirstView first, SecondView second) const
{
    const qsizetype common = std::min(first.size(), second.size());
    for (qsizetype i = 0; i < common; ++i) {
        const unsigned a = unitAt(first, i);
        const unsigned b = unitAt(second, i);
        if (a != b && m_primary[a] != m_primary[b])
            return m_primary[a] < m_primary[b] ? -1 : 1;
    }
    if (first.size() != second.size())
        return first.size() < second.size() ? -1 : 1;
    for (qsizetype i = 0; i < common; ++i) {
        const unsigned a = unitAt(first, i);
        const unsigned b = unitAt(second, i);
        if (m_tertiary[a] != m_tertiary[b])
            return m_tertiary[a] < m_tertiary[b] ? -1 : 1;
    }
    return 0;
}

int AsciiCollation::compare(QStringView first, QStringView second) const
{
    return compareViews(first, second);
}

int AsciiCollation::compare(QLatin1StringView first, QLatin1StringView second) const
{
    return compareViews(first, second);
}

int AsciiCollation::compareTexts(const ListText &first, const ListText &second) const
{
    return first.visit([&](auto a) { return second.visit([&](auto b) { return compareViews(a, b); }); });
}

CountKey countKey(const QString &text)
{
    CountKey key;
    key.value = text.trimmed().toLongLong(&key.isNumber, 10);
    return key;
}

int compareCountKeys(const CountKey &first, const CountKey &second)
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

void TextKeyColumn::permute(const std::vector<int> &order)
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

void TextKeyColumn::build(const std::vector<ListRow> &rows, int subItem, QStringEncoder &encoder)
{
    m_spans.resize(rows.size());
    // Rows that share one text (a group name, a count) share its key too.
    QHash<const QChar *, Span> shared;
    for (size_t row = 0; row < rows.size(); ++row) {
        Span &span = m_spans[row];
        if (span.length >= 0)
            continue;
        const ListText &text = rows[row].subItems.at(subItem);
        const QChar *sharedData = text.sharedData();
        if (sharedData) {
            const auto known = shared.constFind(sharedData);
            if (known != shared.constEnd()) {
                span = *known;
                continue;
            }
        }
        span.offset = m_bytes.size();
        append(text.toString(), encoder);
        span.length = m_bytes.size() - span.offset;
        if (sharedData)
            shared.insert(sharedData, span);
    }
}

void TextKeyColumn::add(const QString &text, QStringEncoder &encoder)
{
    Span span;
    span.offset = m_bytes.size();
    append(text, encoder);
    span.length = m_bytes.size() - span.offset;
    m_spans.push_back(span);
}

// ASCII texts are their own GB18030 bytes; only the others go through the encoder.
void TextKeyColumn::append(const QString &text, QStringEncoder &encoder)
{
    const qsizetype start = m_bytes.size();
    m_bytes.resize(start + text.size());
    char *out = m_bytes.data() + start;
    for (QChar c : text) {
        const char16_t unit = c.unicode();
        if (unit >= 0x80) {
            m_bytes.resize(start);
            if (!appendByCharacter(text, encoder))
                m_bytes.append(textKey(encoder, text));
            return;
        }
        *out++ = unit >= u'a' && unit <= u'z' ? char(unit - u'a' + u'A') : char(unit);
    }
}

bool TextKeyColumn::prefix(int row, quint64 *prefix) const
{
    const Span &span = m_spans[size_t(row)];
    unsigned char bytes[PrefixBytes] = {};
    std::memcpy(bytes, m_bytes.constData() + span.offset, size_t(std::min<qsizetype>(span.length, PrefixBytes)));
    for (int word = 0; word < PrefixWords; ++word)
        prefix[word] = qFromBigEndian<quint64>(bytes + qsizetype(word) * 8);
    return span.length <= PrefixBytes;
}

// GB18030 encodes each character on its own, so a text's key is the keys of its
// characters in a row; those of the basic plane are encoded once per program and kept.
// A surrogate pair leaves the text to the encoder.
bool TextKeyColumn::appendByCharacter(const QString &text, QStringEncoder &encoder)
{
    struct CharacterKey
    {
        char bytes[4];
        quint8 length = 0; // 0: not encoded yet
    };
    static std::vector<CharacterKey> known(0x10000);
    const qsizetype start = m_bytes.size();
    m_bytes.resize(start + text.size() * 4); // the most a character of the plane takes
    char *out = m_bytes.data() + start;
    for (QChar c : text) {
        if (c.isSurrogate()) {
            m_bytes.resize(start);
            return false;
        }
        CharacterKey &key = known[c.unicode()];
        if (key.length == 0) {
            const QByteArray bytes = textKey(encoder, QString(c));
            if (bytes.isEmpty() || bytes.size() > 4) {
                m_bytes.resize(start);
                return false;
            }
            std::memcpy(key.bytes, bytes.constData(), size_t(bytes.size()));
            key.length = quint8(bytes.size());
        }
        std::memcpy(out, key.bytes, key.length);
        out += key.length;
    }
    m_bytes.resize(out - m_bytes.constData());
    return true;
}

int TextKeyColumn::compare(int first, int second) const
{
    const Span &a = m_spans[size_t(first)];
    const Span &b = m_spans[size_t(second)];
    const char *bytes = m_bytes.constData();
    return compareTextKeys(bytes + a.offset, a.length, bytes + b.offset, b.length);
}

namespace {

// A row with the first bytes of its key beside it. Sorting these compares keys held in
// the array itself; only rows whose prefixes tie reach for their full keys, which lie
// scattered in memory, where each access of a large list misses the processor's cache.
struct PrefixedRow
{
    quint64 prefix[PrefixWords] = {};
    int row = 0;
    bool hasPrefix = false;
    bool isComplete = false; // the prefix is the whole key
};

// Equal rows keep their order, as in a stable sort.
template <typename FullCompare>
std::vector<int> sortPrefixed(std::vector<PrefixedRow> &rows, bool ascending, FullCompare fullCompare)
{
    std::sort(rows.begin(), rows.end(), [&](const PrefixedRow &a, const PrefixedRow &b) {
        int r = 0;
        if (a.hasPrefix && b.hasPrefix) {
            for (int i = 0; i < PrefixWords && r == 0; ++i) {
                if (a.prefix[i] != b.prefix[i])
                    r = a.prefix[i] < b.prefix[i] ? -1 : 1;
            }
        }
        if (r == 0 && !(a.isComplete && b.isComplete))
            r = fullCompare(a.row, b.row);
        if (r != 0)
            return ascending ? r < 0 : r > 0;
        return a.row < b.row;
    });
    std::vector<int> order;
    order.reserve(rows.size());
    for (const PrefixedRow &row : rows)
        order.push_back(row.row);
    return order;
}

} // namespace

namespace {

// A key's place in the order being sorted, with the first bytes of its key beside it.
struct SortItem
{
    quint64 prefix[PrefixWords] = {};
    int key = 0;
    int position = 0;
    bool hasPrefix = false;
    bool isComplete = false;
};

template <typename FullCompare>
void sortItems(std::vector<SortItem> &items, std::vector<int> &order, bool ascending, FullCompare fullCompare)
{
    std::sort(items.begin(), items.end(), [&](const SortItem &a, const SortItem &b) {
        int r = 0;
        if (a.hasPrefix && b.hasPrefix) {
            for (int i = 0; i < PrefixWords && r == 0; ++i) {
                if (a.prefix[i] != b.prefix[i])
                    r = a.prefix[i] < b.prefix[i] ? -1 : 1;
            }
        }
        if (r == 0 && !(a.isComplete && b.isComplete))
            r = fullCompare(a.key, b.key);
        if (r != 0)
            return ascending ? r < 0 : r > 0;
        return a.position < b.position;
    });
    for (size_t i = 0; i < items.size(); ++i)
        order[i] = items[i].key;
}

std::vector<SortItem> itemsOf(const std::vector<int> &order)
{
    std::vector<SortItem> items(order.size());
    for (size_t i = 0; i < order.size(); ++i) {
        items[i].key = order[i];
        items[i].position = int(i);
    }
    return items;
}

} // namespace

ColumnKeys::ColumnKeys(int column) : m_column(column), m_encoder(textEncoder()) {}

void ColumnKeys::add(const QString &text)
{
    if (m_column == RowSortKeys::CountColumn) {
        addCount(countKey(text));
    } else if (m_column == 0) {
        Caption caption;
        if (AsciiCollation::isPrintableAscii(QStringView(text))) {
            caption.offset = m_latin1.size();
            caption.length = int(text.size());
            m_latin1.append(text.toLatin1());
        } else {
            caption.offset = qsizetype(m_otherCaptions.size());
            m_otherCaptions.push_back(text);
        }
        m_captions.push_back(caption);
    } else {
        m_texts.add(text, m_encoder);
    }
}

void ColumnKeys::addCount(CountKey key)
{
    m_counts.push_back(key);
}

int ColumnKeys::size() const
{
    if (m_column == RowSortKeys::CountColumn)
        return int(m_counts.size());
    if (m_column == 0)
        return int(m_captions.size());
    return m_texts.size();
}

QString ColumnKeys::captionText(int key) const
{
    const Caption &caption = m_captions[size_t(key)];
    if (caption.length < 0)
        return m_otherCaptions[size_t(caption.offset)];
    return QString::fromLatin1(m_latin1.constData() + caption.offset, caption.length);
}

void ColumnKeys::sort(std::vector<int> &order, bool ascending) const
{
    if (m_column == 0) {
        sortCaptions(order, ascending);
        return;
    }
    std::vector<SortItem> items = itemsOf(order);
    if (m_column == RowSortKeys::CountColumn) {
        sortItems(items, order, ascending,
                  [this](int a, int b) { return compareCountKeys(m_counts[size_t(a)], m_counts[size_t(b)]); });
        return;
    }
    for (SortItem &item : items) {
        item.hasPrefix = true;
        item.isComplete = m_texts.prefix(item.key, item.prefix);
    }
    sortItems(items, order, ascending, [this](int a, int b) { return m_texts.compare(a, b); });
}

// As RowSortKeys::captionOrder(): the collator of the default locale, through its table
// for ASCII captions where most are ASCII.
void ColumnKeys::sortCaptions(std::vector<int> &order, bool ascending) const
{
    QCollator collator{QLocale()};
    collator.setCaseSensitivity(Qt::CaseSensitive);
    const std::optional<AsciiCollation> table = AsciiCollation::forCollator(collator);
    std::vector<SortItem> items = itemsOf(order);
    if (table && m_otherCaptions.size() <= m_captions.size() / 8) {
        auto latin1 = [this](int key) {
            const Caption &caption = m_captions[size_t(key)];
            return QLatin1StringView(m_latin1.constData() + caption.offset, caption.length);
        };
        for (SortItem &item : items) {
            item.hasPrefix = m_captions[size_t(item.key)].length >= 0;
            if (item.hasPrefix)
                table->primaryPrefix(latin1(item.key), item.prefix);
        }
        sortItems(items, order, ascending, [&](int a, int b) {
            if (m_captions[size_t(a)].length >= 0 && m_captions[size_t(b)].length >= 0)
                return table->compare(latin1(a), latin1(b));
            return collator.compare(captionText(a), captionText(b));
        });
        return;
    }
    std::vector<QCollatorSortKey> keys;
    keys.reserve(m_captions.size());
    for (int key = 0; key < int(m_captions.size()); ++key)
        keys.push_back(collator.sortKey(captionText(key)));
    sortItems(items, order, ascending, [&keys](int a, int b) { return keys[size_t(a)].compare(keys[size_t(b)]); });
}

void RowSortKeys::clear()
{
    m_captions.clear();
    m_captionIsAscii.clear();
    m_counts.clear();
    m_texts.clear();
}

void RowSortKeys::removeAt(int row)
{
    m_captions.removeAt(row);
    m_captionIsAscii.removeAt(row);
    m_counts.removeAt(row);
    for (auto &[subItem, keys] : m_texts)
        keys.removeAt(row);
}

void RowSortKeys::permute(const std::vector<int> &order)
{
    m_captions.permute(order);
    m_captionIsAscii.permute(order);
    m_counts.permute(order);
    for (auto &[subItem, keys] : m_texts)
        keys.permute(order);
}

void RowSortKeys::prepare(int column, const std::vector<ListRow> &rows)
{
    const int rowCount = int(rows.size());
    if (column == CountColumn) {
        m_counts.build(rowCount, [&rows](int row) { return countKey(rows[size_t(row)].subItems.value(CountSubItem)); });
    } else {
        QStringEncoder encoder = textEncoder();
        m_texts[column - 1].build(rows, column - 1, encoder);
    }
}

void RowSortKeys::prepareCaptions(const std::vector<ListRow> &rows)
{
    // Collator keys belong to one locale; a changed default locale starts afresh.
    const QLocale locale;
    if (locale.name() != m_captionLocale || !m_collator) {
        m_captions.clear();
        m_captionLocale = locale.name();
        m_collator.emplace(locale);
        m_collator->setCaseSensitivity(Qt::CaseSensitive);
        m_asciiCollation = AsciiCollation::forCollator(*m_collator);
    }
    m_captionIsAscii.build(int(rows.size()), [&rows](int row) {
        return rows[size_t(row)].caption.visit([](auto view) { return AsciiCollation::isPrintableAscii(view); });
    });
}

std::vector<int> RowSortKeys::captionOrder(bool ascending, const std::vector<ListRow> &rows)
{
    prepareCaptions(rows);
    std::vector<int> order(rows.size());
    std::iota(order.begin(), order.end(), 0);
    auto sortBy = [&order, ascending](auto compare) {
        std::stable_sort(order.begin(), order.end(), [&compare, ascending](int first, int second) {
            const int r = compare(first, second);
            return ascending ? r < 0 : r > 0;
        });
    };
    int others = 0;
    for (int row = 0; row < int(rows.size()); ++row)
        others += m_captionIsAscii.at(row) ? 0 : 1;
    // A few other captions are compared by the collator itself; many get keys.
    if (m_asciiCollation && others <= int(rows.size()) / 8) {
        const AsciiCollation &table = *m_asciiCollation;
        const QCollator &collator = *m_collator;
        const KeyColumn<bool> &isAscii = m_captionIsAscii;
        std::vector<PrefixedRow> prefixed(rows.size());
        for (int row = 0; row < int(rows.size()); ++row) {
            PrefixedRow &item = prefixed[size_t(row)];
            item.row = row;
            item.hasPrefix = isAscii.at(row);
            if (item.hasPrefix)
                rows[size_t(row)].caption.visit([&](auto view) { table.primaryPrefix(view, item.prefix); });
        }
        return sortPrefixed(prefixed, ascending, [&](int a, int b) {
            const ListText &first = rows[size_t(a)].caption;
            const ListText &second = rows[size_t(b)].caption;
            if (isAscii.at(a) && isAscii.at(b))
                return table.compareTexts(first, second);
            return collator.compare(first.toString(), second.toString());
        });
    }
    const QCollator &collator = *m_collator;
    m_captions.build(int(rows.size()), [&](int row) { return collator.sortKey(rows[size_t(row)].caption.toString()); });
    const KeyColumn<QCollatorSortKey> &keys = m_captions;
    sortBy([&keys](int a, int b) { return keys.at(a).compare(keys.at(b)); });
    return order;
}

std::vector<int> RowSortKeys::sortedOrder(int column, bool ascending, const std::vector<ListRow> &rows)
{
    if (column == 0)
        return captionOrder(ascending, rows);
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
    if (column == CountColumn) {
        const KeyColumn<CountKey> &keys = m_counts;
        sortBy([&keys](int a, int b) { return compareCountKeys(keys.at(a), keys.at(b)); });
    } else {
        const TextKeyColumn &keys = m_texts.at(column - 1);
        std::vector<PrefixedRow> prefixed(rows.size());
        for (int row = 0; row < int(rows.size()); ++row) {
            PrefixedRow &item = prefixed[size_t(row)];
            item.row = row;
            item.hasPrefix = true;
            item.isComplete = keys.prefix(row, item.prefix);
        }
        return sortPrefixed(prefixed, ascending, [&keys](int a, int b) { return keys.compare(a, b); });
    }
    return order;
}

} // namespace ListSortKeys
