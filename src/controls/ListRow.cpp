#include "ListRow.h"

#include <QtGlobal>

ListText::ListText(const QString &text)
{
    assign(text);
}

ListText::ListText(QString &&text)
{
    assign(text);
    if (std::holds_alternative<QString>(m_text))
        std::get<QString>(m_text) = std::move(text);
}

void ListText::assign(const QString &text)
{
    bool latin1 = true;
    for (QChar c : text) {
        if (c.unicode() > 0xff) {
            latin1 = false;
            break;
        }
    }
    if (latin1 && text.size() <= Inline::Capacity) {
        Inline stored;
        stored.length = static_cast<unsigned char>(text.size());
        for (qsizetype i = 0; i < text.size(); ++i)
            stored.latin1[i] = static_cast<char>(text.at(i).unicode());
        m_text = stored;
    } else if (latin1 && !text.data_ptr()->isShared()) {
        m_text = text.toLatin1();
    } else {
        m_text = text;
    }
}

QString ListText::toString() const
{
    if (const auto *text = std::get_if<QString>(&m_text))
        return *text;
    return visit([](auto view) { return view.toString(); });
}

bool ListText::isEmpty() const
{
    return visit([](auto view) { return view.isEmpty(); });
}

const QChar *ListText::sharedData() const
{
    const auto *text = std::get_if<QString>(&m_text);
    if (!text || !text->data_ptr()->isShared())
        return nullptr;
    return text->constData();
}

RowTexts::RowTexts(std::initializer_list<ListText> texts)
{
    int index = 0;
    for (const ListText &text : texts)
        assign(index++, text);
}

RowTexts::RowTexts(const QStringList &texts)
{
    for (int index = 0; index < texts.size(); ++index)
        assign(index, texts.at(index));
}

void RowTexts::assign(int index, ListText text)
{
    // The lists show at most Capacity further columns; a longer list is a caller's fault.
    Q_ASSERT(index < Capacity);
    if (index >= Capacity)
        return;
    m_texts[size_t(index)] = std::move(text);
    m_size = static_cast<unsigned char>(qMax(int(m_size), index + 1));
}

QString RowTexts::value(int index) const
{
    return at(index).toString();
}

const ListText &RowTexts::at(int index) const
{
    static const ListText noText;
    return index >= 0 && index < m_size ? m_texts[size_t(index)] : noText;
}

QStringList RowTexts::toList() const
{
    QStringList texts;
    texts.reserve(m_size);
    for (int index = 0; index < m_size; ++index)
        texts.append(value(index));
    return texts;
}
