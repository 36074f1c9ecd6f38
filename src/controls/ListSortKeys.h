#pragma once

#include "ListRow.h"

#include <QByteArray>
#include <QCollator>
#include <QCollatorSortKey>
#include <QString>
#include <QStringEncoder>

#include <map>
#include <optional>
#include <vector>

// Sort keys of the report list's columns. Each key is computed once per row,
// at the first sort that needs it, and kept in the order of the rows, so that
// a sort compares prepared keys only.
namespace ListSortKeys {

// How much of a key a sort keeps beside each row (see sortedOrder()).
constexpr int PrefixWords = 4;
constexpr int PrefixBytes = PrefixWords * 8;

// The text columns compare the GB18030 bytes of their texts, so that Chinese
// texts stand in the order of their national encoding, with the ASCII letters
// a to z taken as A to Z.
QStringEncoder textEncoder();
QByteArray textKey(QStringEncoder &encoder, const QString &text);

// Byte by byte, unsigned: the difference of the first differing bytes, or of
// the lengths when one key is a prefix of the other.
int compareTextKeys(const char *first, qsizetype firstLength, const char *second, qsizetype secondLength);

// The visit-count column compares decimal integers; a text that is not one
// (an empty text included) stands before every number.
struct CountKey
{
    bool isNumber = false;
    qint64 value = 0;
};

CountKey countKey(const QString &text);
int compareCountKeys(const CountKey &first, const CountKey &second);

// The collator's order on texts of printable ASCII characters, read from the collator
// itself: each character has one primary weight (letters of both cases share one) and
// one tertiary weight, and texts compare by their primary weights first, then by their
// tertiary weights. Comparing with this table gives the collator's result at a fraction of
// its cost. A locale where that does not hold (contractions such as "ch", ignored
// punctuation) gives no table: every pair of such characters is checked against the
// collator when the table is made.
class AsciiCollation
{
public:
    static std::optional<AsciiCollation> forCollator(const QCollator &collator);
    static bool isPrintableAscii(QStringView text);
    static bool isPrintableAscii(QLatin1StringView text);
    // For printable ASCII texts only.
    int compare(QStringView first, QStringView second) const;
    int compare(QLatin1StringView first, QLatin1StringView second) const;
    int compareTexts(const ListText &first, const ListText &second) const;
    // The primary weights of the first PrefixBytes characters, 8 bits each, in PrefixWords
    // words, 0 past the end: keys
    // that differ order their texts as compare() does.
    void primaryPrefix(QStringView text, quint64 *prefix) const;
    void primaryPrefix(QLatin1StringView text, quint64 *prefix) const;

private:
    template <typename View>
    void primaryPrefixOf(View text, quint64 *prefix) const;
    template <typename FirstView, typename SecondView>
    int compareViews(FirstView first, SecondView second) const;

    unsigned char m_primary[128] = {};
    unsigned char m_tertiary[128] = {};
};

// Keys of one column, one per row, in the order of the rows.
template <typename Key>
class KeyColumn
{
public:
    void clear() { m_keys.clear(); }

    void removeAt(int row)
    {
        if (size_t(row) < m_keys.size())
            m_keys.erase(m_keys.begin() + row);
    }

    // The row at position i afterwards is the row that stood at order[i].
    void permute(const std::vector<int> &order)
    {
        if (m_keys.empty())
            return;
        m_keys.resize(order.size());
        std::vector<std::optional<Key>> sorted;
        sorted.reserve(order.size());
        for (int from : order)
            sorted.push_back(std::move(m_keys[size_t(from)]));
        m_keys = std::move(sorted);
    }

    // Builds the keys that are missing, makeKey(row) giving a row's key.
    template <typename MakeKey>
    void build(int rowCount, MakeKey makeKey)
    {
        m_keys.resize(size_t(rowCount));
        for (int row = 0; row < rowCount; ++row) {
            if (!m_keys[size_t(row)])
                m_keys[size_t(row)] = makeKey(row);
        }
    }

    const Key &at(int row) const { return *m_keys[size_t(row)]; }

private:
    std::vector<std::optional<Key>> m_keys;
};

// The byte keys of one text column, all in one buffer: a refill then frees a
// few blocks instead of one per row.
class TextKeyColumn
{
public:
    // Appends the key of one more row.
    void add(const QString &text, QStringEncoder &encoder);
    int size() const { return int(m_spans.size()); }
    void clear();
    void removeAt(int row);
    void permute(const std::vector<int> &order);
    void build(const std::vector<ListRow> &rows, int subItem, QStringEncoder &encoder);
    int compare(int first, int second) const;
    // The first PrefixBytes bytes of a row's key in PrefixWords words, big-endian, 0 past
    // the end.
    // Gives whether the prefix holds the whole key.
    bool prefix(int row, quint64 *prefix) const;

private:
    void append(const QString &text, QStringEncoder &encoder);
    bool appendByCharacter(const QString &text, QStringEncoder &encoder);

    struct Span
    {
        qsizetype offset = 0;
        qsizetype length = -1; // -1: not built yet
    };

    QByteArray m_bytes;
    std::vector<Span> m_spans;
};

// The keys of one column of a list whose rows are kept elsewhere (read from a database,
// say), one per row, added in the order of a listing; each column compares as in
// RowSortKeys::sortedOrder(). Texts are kept as compact as their keys allow.
class ColumnKeys
{
public:
    explicit ColumnKeys(int column);

    void add(const QString &text);
    void addCount(CountKey key);
    int size() const;
    // Sorts `order`, the indexes of added keys in the rows' current order, by the keys;
    // keys that compare equal keep their order.
    void sort(std::vector<int> &order, bool ascending) const;

private:
    struct Caption
    {
        qsizetype offset = 0; // into the Latin-1 bytes, or into the other captions
        int length = -1; // -1: one of the other captions
    };
    void sortCaptions(std::vector<int> &order, bool ascending) const;
    QString captionText(int key) const;

    int m_column;
    QStringEncoder m_encoder;
    TextKeyColumn m_texts;
    std::vector<CountKey> m_counts;
    QByteArray m_latin1;
    std::vector<Caption> m_captions;
    std::vector<QString> m_otherCaptions;
};

// All the sort keys of a list of rows, by column.
class RowSortKeys
{
public:
    static constexpr int CountColumn = 3;
    static constexpr int CountSubItem = 2;

    void clear();
    void removeAt(int row);
    void permute(const std::vector<int> &order);

    // The positions of the rows in the order of one column, stable: rows
    // that compare equal keep their order. Column 0: the caption, by the
    // collator of the default locale, case-sensitive. Column 3: sub-item 2 as
    // a number. Any other column c: sub-item c - 1 as text. A missing
    // sub-item counts as an empty text.
    std::vector<int> sortedOrder(int column, bool ascending, const std::vector<ListRow> &rows);

private:
    void prepare(int column, const std::vector<ListRow> &rows);
    void prepareCaptions(const std::vector<ListRow> &rows);
    std::vector<int> captionOrder(bool ascending, const std::vector<ListRow> &rows);

    // Column 0: ASCII captions compare through the table; where too many captions are
    // not ASCII, or the locale has no table, every caption gets a collator key.
    KeyColumn<QCollatorSortKey> m_captions;
    QString m_captionLocale;
    std::optional<QCollator> m_collator;
    std::optional<AsciiCollation> m_asciiCollation;
    KeyColumn<bool> m_captionIsAscii;
    KeyColumn<CountKey> m_counts;
    std::map<int, TextKeyColumn> m_texts; // by sub-item
};

} // namespace ListSortKeys
