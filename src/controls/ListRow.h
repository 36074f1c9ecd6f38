#pragma once

#include <QString>
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

// One text of a list row. Short Latin-1 texts (dates, counts) are kept in place; a
// hundred thousand rows would otherwise hold a hundred thousand small heap blocks.
// Other texts stay a QString, so that rows which share one (a group name) share its data.
class ListText
{
public:
    ListText() = default;
    ListText(const QString& text); // NOLINT(google-explicit-constructor): a text in all but storage
    ListText(QString&& text);      // NOLINT(google-explicit-constructor)

    QString toString() const;
    bool isEmpty() const;
    // The text's data when it is a QString whose data other texts share, or null.
    const QChar* sharedData() const;

    friend bool operator==(const ListText& first, const ListText& second)
    {
        return first.toString() == second.toString();
    }

private:
    using Inline = ShortLatin1Text;

    static bool fitsInline(const QString& text);
    static Inline makeInline(const QString& text);

    std::variant<Inline, QString> m_text;
};

// The texts of a row's further columns (sub-item i is shown in column i + 1), held in
// the row itself rather than in a list of their own.
class RowTexts
{
public:
    static constexpr int Capacity = 4;

    RowTexts() = default;
    RowTexts(std::initializer_list<QString> texts); // NOLINT(google-explicit-constructor)
    RowTexts(const QStringList& texts);             // NOLINT(google-explicit-constructor)

    // An index outside the row reads as an empty text.
    QString value(int index) const;
    const ListText& at(int index) const;
    int size() const { return m_size; }
    QStringList toList() const;

private:
    void assign(int index, QString text);

    std::array<ListText, Capacity> m_texts;
    unsigned char m_size = 0;
};

// One row of a report list: the caption shown in column 0, the texts of the
// further columns, the index of its small image and, where the list shows check
// boxes, whether it is checked.
struct ListRow
{
    QString caption;
    RowTexts subItems;
    int imageIndex = -1;
    bool checked = false;
};
