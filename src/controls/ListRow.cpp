#include "ListRow.h"

#include <QtGlobal>

ListText::ListText(const QString& text)
{
    if (fitsInline(text))
        m_text = makeInline(text);
    else
        m_text = text;
}

ListText::ListText(QString&& text)
{
    if (fitsInline(text))
        m_text = makeInline(text);
    else
        m_text = std::move(text);
}

bool ListText::fitsInline(const QString& text)
{
    if (text.size() > Inline::Capacity)
        return false;
    for (QChar c : text) {
        if (c.unicode() > 0xff)
            return false;
    }
    return true;
}

ListText::Inline ListText::makeInline(const QString& text)
{
    Inline stored;
    stored.length = static_cast<unsigned char>(text.size());
    for (qsizetype i = 0; i < text.size(); ++i)
        stored.latin1[i] = static_cast<char>(text.at(i).unicode());
    return stored;
}

QString ListText::toString() const
{
    if (const auto* stored = std::get_if<Inline>(&m_text))
        return QString::fromLatin1(stored->latin1, stored->length);
    return std::get<QString>(m_text);
}

bool ListText::isEmpty() const
{
    if (const auto* stored = std::get_if<Inline>(&m_text))
        return stored->length == 0;
    return std::get<QString>(m_text).isEmpty();
}

const QChar* ListText::sharedData() const
{
    const auto* text = std::get_if<QString>(&m_text);
    if (!text || !text->data_ptr()->isShared())
        return nullptr;
    return text->constData();
}

RowTexts::RowTexts(std::initializer_list<QString> texts)
{
    int index = 0;
    for (const QString& text : texts)
        assign(index++, text);
}

RowTexts::RowTexts(const QStringList& texts)
{
    for (int index = 0; index < texts.size(); ++index)
        assign(index, texts.at(index));
}

void RowTexts::assign(int index, QString text)
{
    // The lists show at most Capacity further columns; a longer list is a caller's fault.
    Q_ASSERT(index < Capacity);
    if (index >= Capacity)
        return;
    m_texts[size_t(index)] = ListText(std::move(text));
    m_size = static_cast<unsigned char>(qMax(int(m_size), index + 1));
}

QString RowTexts::value(int index) const
{
    return at(index).toString();
}

const ListText& RowTexts::at(int index) const
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
