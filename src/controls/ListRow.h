#pragma once

#include <QByteArray>
#include <QLatin1StringView>
#include <QString>
#include <QStringView>
#include <QStringList>

#include <array>
#include <initializer_list>
#include <variant>

// Up to 23 Latin-1 characters, kept in place.
struct ShortLatin1Text
{
    static constexpr int Capacity = 23;
    char latin1[Capacity] = {};
    unsigned char length = 0;
};

// One text of a list row. Short Latin-1 texts (dates, counts) are kept in place, longer
// ones as Latin-1 bytes (most addresses), at half the size of UTF-16: a hundred thousand
// rows would otherwise hold a hundred thousand small heap blocks and twice the bytes.
// Other texts stay a QString, and so does a QString that other texts share already (a
// group name): its rows keep sharing it.
class ListText
{
public:
    ListText() = default;
    ListText(const QString &text); // implicit: a text in all but storage
    ListText(QString &&text);

    QString toString() const;
    bool isEmpty() const;
    // The text's data when it is a QString whose data other texts share, or null.
    const QChar *sharedData() const;

    // Calls view with a QLatin1StringView or a QStringView of the text.
    template <typename View>
    decltype(auto) visit(View &&view) const
    {
        if (const auto *stored = std::get_if<Inline>(&m_text))
            return view(QLatin1StringView(stored->latin1, stored->length));
        if (const auto *bytes = std::get_if<QByteArray>(&m_text))
            return view(QLatin1StringView(*bytes));
        return view(QStringView(std::get<QString>(m_text)));
    }

    friend bool operator==(const ListText &first, const QString &second)
    {
        return first.visit([&second](auto view) { return view == second; });
    }
    friend bool operator!=(const ListText &first, const QString &second) { return !(first == second); }
    friend bool operator==(const ListText &first, const ListText &second)
    {
        return first.toString() == second.toString();
    }

private:
    using Inline = ShortLatin1Text;

    void assign(const QString &text);

    std::variant<Inline, QByteArray, QString> m_text;
};

// The texts of a row's further columns (sub-item i is shown in column i + 1), held in
// the row itself rather than in a list of their own.
class RowTexts
{
public:
    static constexpr int Capacity = 4;

    RowTexts() = default;
    RowTexts(std::initializer_list<ListText> texts);
    RowTexts(const QStringList &texts);

    // An index outside the row reads as an empty text.
    QString value(int index) const;
    const ListText &at(int index) const;
    int size() const { return m_size; }
    QStringList toList() const;

private:
    void assign(int index, ListText text);

    std::array<ListText, Capacity> m_texts;
    unsigned char m_size = 0;
};

// One row of a report list: the caption shown in column 0, the texts of the
// further columns, the index of its small image and, where the list shows check
// boxes, whether it is checked.
struct ListRow
{
    ListText caption;
    RowTexts subItems;
    int imageIndex = -1;
    bool checked = false;
};
