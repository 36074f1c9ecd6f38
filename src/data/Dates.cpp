#include "data/Dates.h"

#include <QDateTime>

#include <algorithm>
#include <iterator>

namespace {

struct StoredParts
{
    int year = 0, month = 0, day = 0;
    int hour = 0, minute = 0, second = 0, millisecond = 0;
};

template <typename Unit>
int digitsAt(const Unit *text, qsizetype position, int count)
{
    int value = 0;
    for (int i = 0; i < count; ++i) {
        const auto unit = char16_t(text[position + i]);
        if (unit < u'0' || unit > u'9')
            return -1;
        value = value * 10 + int(unit - u'0');
    }
    return value;
}

// The stored forms the program and its imports write: "YYYY-MM-DD", optionally followed
// by "THH:MM" or " HH:MM", ":SS" and ".z" to ".zzz". Anything else (a zone, a
// leap second, hour 24) is left to QDateTime.
template <typename Unit>
bool parseStored(const Unit *text, qsizetype length, StoredParts &parts)
{
    if (length < 10 || char16_t(text[4]) != u'-' || char16_t(text[7]) != u'-')
        return false;
    parts.year = digitsAt(text, 0, 4);
    parts.month = digitsAt(text, 5, 2);
    parts.day = digitsAt(text, 8, 2);
    if (parts.year < 0 || parts.month < 0 || parts.day < 0 || !QDate::isValid(parts.year, parts.month, parts.day))
        return false;
    if (length == 10)
        return true;
    const char16_t separator = char16_t(text[10]);
    if (length < 16 || (separator != u'T' && separator != u' ') || char16_t(text[13]) != u':')
        return false;
    parts.hour = digitsAt(text, 11, 2);
    parts.minute = digitsAt(text, 14, 2);
    qsizetype position = 16;
    if (length >= 19 && char16_t(text[16]) == u':') {
        parts.second = digitsAt(text, 17, 2);
        position = 19;
        if (length > 20 && length <= 23 && char16_t(text[19]) == u'.') {
            const int digits = int(length - 20);
            parts.millisecond = digitsAt(text, 20, digits);
            for (int i = digits; i < 3 && parts.millisecond >= 0; ++i)
                parts.millisecond *= 10;
            position = length;
        }
    }
    return position == length && parts.hour >= 0 && parts.minute >= 0 && parts.second >= 0 && parts.millisecond >= 0
        && QTime::isValid(parts.hour, parts.minute, parts.second, parts.millisecond);
}

} // namespace

// A date text is composed in a buffer on the stack and made a QString in one step:
// appending its pieces one by one to a QString costs more than the rest of the work.
// What does not fit goes to `text` as it comes.
class Dates::DisplayFormatter::Digits
{
public:
    void append(int value, int width)
    {
        char16_t reversed[10];
        int count = 0;
        do {
            reversed[count++] = char16_t(u'0' + value % 10);
            value /= 10;
        } while (value > 0 && count < 10);
        for (int i = count; i < width && m_size < Capacity; ++i)
            m_units[m_size++] = u'0';
        while (count > 0 && m_size < Capacity)
            m_units[m_size++] = reversed[--count];
    }
    // Short literal text joins the digits; a longer one goes out directly.
    void appendLiteral(QString &text, const QString &literal)
    {
        if (m_size + literal.size() > Capacity) {
            flushInto(text);
            text += literal;
            return;
        }
        for (QChar c : literal)
            m_units[m_size++] = c.unicode();
    }
    void flushInto(QString &text)
    {
        text.append(QStringView(m_units, m_size));
        m_size = 0;
    }
    // The composed text, in one allocation where it all fitted in the buffer.
    QString take(QString &text)
    {
        if (text.isEmpty())
            return QString(reinterpret_cast<const QChar *>(m_units), m_size);
        flushInto(text);
        return text;
    }

private:
    static constexpr int Capacity = 96;
    char16_t m_units[Capacity];
    int m_size = 0;
};

namespace {

int repeatsAt(const QString &format, qsizetype position, int most)
{
    int count = 1;
    while (count < most && position + count < format.size() && format.at(position + count) == format.at(position))
        ++count;
    return count;
}

} // namespace

QString Dates::todayForStorage()
{
    return QDate::currentDate().toString(Qt::ISODate);
}

QString Dates::forDisplay(const QString &stored)
{
    return DisplayFormatter().format(QStringView(stored));
}

QString Dates::timeFormatWithoutZone(const QLocale &locale)
{
    const QString format = locale.timeFormat(QLocale::LongFormat);
    QString result;
    bool quoted = false;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format.at(i);
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        if (quoted || c != QLatin1Char('t')) {
            // Spaces between a leading zone and the rest go with the zone.
            if (!(c.isSpace() && !quoted && result.isEmpty()))
                result.append(c);
            continue;
        }
        while (i + 1 < format.size() && format.at(i + 1) == QLatin1Char('t'))
            ++i;
        // A zone in brackets, "(t)" or "[t]", takes its brackets along.
        const QChar next = i + 1 < format.size() ? format.at(i + 1) : QChar();
        if (!result.isEmpty()
            && ((result.back() == QLatin1Char('(') && next == QLatin1Char(')'))
                || (result.back() == QLatin1Char('[') && next == QLatin1Char(']')))) {
            result.chop(1);
            ++i;
        }
        while (!result.isEmpty() && result.back().isSpace())
            result.chop(1);
    }
    return result.trimmed();
}

Dates::DisplayFormatter::DisplayFormatter() : DisplayFormatter(QLocale()) {}

Dates::DisplayFormatter::DisplayFormatter(const QLocale &locale)
    : m_locale(locale), m_timeFormat(timeFormatWithoutZone(locale)),
      m_latinDigits(locale.zeroDigit() == QLatin1String("0")), m_amUpper(locale.amText().toUpper()),
      m_pmUpper(locale.pmText().toUpper()), m_amLower(locale.amText().toLower()), m_pmLower(locale.pmText().toLower())
{
    parseTimeFormat(m_timeFormat);
}

// The fields of a time format as QLocale reads them: h and H hours (h counts 1 to 12
// when the format shows AM/PM), m minutes, s seconds, z milliseconds, a or A (optionally
// followed by p or P) the AM/PM text, text in single quotes literally.
void Dates::DisplayFormatter::parseTimeFormat(const QString &format)
{
    bool hasAmPm = false;
    bool quoted = false;
    for (QChar c : format) {
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        else if (!quoted && (c == QLatin1Char('a') || c == QLatin1Char('A')))
            hasAmPm = true;
    }
    auto literal = [this](const QString &text) {
        if (m_timeFields.empty() || m_timeFields.back().kind != TimeField::Literal)
            m_timeFields.push_back({TimeField::Literal, 0, {}});
        m_timeFields.back().text += text;
    };
    for (qsizetype i = 0; i < format.size();) {
        const QChar c = format.at(i);
        if (c == QLatin1Char('\'')) {
            if (i + 1 < format.size() && format.at(i + 1) == QLatin1Char('\'')) {
                literal(QStringLiteral("'"));
                i += 2;
                continue;
            }
            qsizetype end = i + 1;
            QString text;
            while (end < format.size()) {
                if (format.at(end) == QLatin1Char('\'')) {
                    if (end + 1 < format.size() && format.at(end + 1) == QLatin1Char('\'')) {
                        text += QLatin1Char('\'');
                        end += 2;
                        continue;
                    }
                    break;
                }
                text += format.at(end++);
            }
            literal(text);
            i = end + 1;
            continue;
        }
        int width = 1;
        switch (c.unicode()) {
        case 'h':
        case 'H':
            width = repeatsAt(format, i, 2);
            m_timeFields.push_back(
                {c == QLatin1Char('h') && hasAmPm ? TimeField::Hour12 : TimeField::Hour24, width, {}});
            break;
        case 'm':
            width = repeatsAt(format, i, 2);
            m_timeFields.push_back({TimeField::Minute, width, {}});
            break;
        case 's':
            width = repeatsAt(format, i, 2);
            m_timeFields.push_back({TimeField::Second, width, {}});
            break;
        case 'z':
            width = repeatsAt(format, i, 3);
            m_timeFields.push_back({TimeField::Millisecond, width, {}});
            break;
        case 'a':
        case 'A': {
            const QChar p = c == QLatin1Char('a') ? QLatin1Char('p') : QLatin1Char('P');
            width = i + 1 < format.size() && format.at(i + 1) == p ? 2 : 1;
            m_timeFields.push_back({c == QLatin1Char('a') ? TimeField::AmPmLower : TimeField::AmPmUpper, width, {}});
            break;
        }
        default: literal(QString(c)); break;
        }
        i += width;
    }
}

void Dates::DisplayFormatter::appendTime(Digits &digits, QString &text, int hour, int minute, int second,
                                         int millisecond) const
{
    // Digits of other scripts are the locale's business.
    if (!m_latinDigits) {
        digits.appendLiteral(text, m_locale.toString(QTime(hour, minute, second, millisecond), m_timeFormat));
        return;
    }
    for (const TimeField &field : m_timeFields) {
        switch (field.kind) {
        case TimeField::Literal: digits.appendLiteral(text, field.text); break;
        case TimeField::Hour24: digits.append(hour, field.width); break;
        case TimeField::Hour12: digits.append(hour % 12 == 0 ? 12 : hour % 12, field.width); break;
        case TimeField::Minute: digits.append(minute, field.width); break;
        case TimeField::Second: digits.append(second, field.width); break;
        case TimeField::Millisecond:
            if (field.width == 3) {
                digits.append(millisecond, 3);
            } else {
                // The fraction of the second without trailing zeros.
                int value = millisecond;
                int width = 3;
                while (width > 1 && value % 10 == 0) {
                    value /= 10;
                    --width;
                }
                digits.append(value, width);
            }
            break;
        case TimeField::AmPmUpper: digits.appendLiteral(text, hour < 12 ? m_amUpper : m_pmUpper); break;
        case TimeField::AmPmLower: digits.appendLiteral(text, hour < 12 ? m_amLower : m_pmLower); break;
        }
    }
}

const QString &Dates::DisplayFormatter::day(int year, int month, int day)
{
    const int key = year * 10000 + month * 100 + day;
    auto found = m_days.constFind(key);
    if (found == m_days.constEnd())
        found = m_days.insert(key, m_locale.toString(QDate(year, month, day), QLocale::ShortFormat));
    return *found;
}

QString Dates::DisplayFormatter::compose(int year, int month, int dayOfMonth, int hour, int minute, int second,
                                         int millisecond)
{
    const QString &date = day(year, month, dayOfMonth);
    if (hour == 0 && minute == 0 && second == 0 && millisecond == 0)
        return date; // shared, not copied
    QString text;
    Digits digits;
    digits.appendLiteral(text, date);
    digits.appendLiteral(text, QStringLiteral(" "));
    appendTime(digits, text, hour, minute, second, millisecond);
    return digits.take(text);
}

QString Dates::DisplayFormatter::slowFormat(const QString &stored)
{
    const QDateTime dateTime = QDateTime::fromString(stored, Qt::ISODate);
    if (!dateTime.isValid())
        return stored;
    const QDate date = dateTime.date();
    const QTime time = dateTime.time();
    return compose(date.year(), date.month(), date.day(), time.hour(), time.minute(), time.second(), time.msec());
}

QString Dates::DisplayFormatter::format(QStringView stored)
{
    if (stored.isEmpty())
        return stored.toString();
    StoredParts parts;
    if (!parseStored(stored.utf16(), stored.size(), parts))
        return slowFormat(stored.toString());
    return compose(parts.year, parts.month, parts.day, parts.hour, parts.minute, parts.second, parts.millisecond);
}

QString Dates::DisplayFormatter::format(QByteArrayView storedUtf8)
{
    if (storedUtf8.isEmpty())
        return QString(QLatin1String(""));
    StoredParts parts;
    if (!parseStored(storedUtf8.data(), storedUtf8.size(), parts))
        return slowFormat(QString::fromUtf8(storedUtf8));
    return compose(parts.year, parts.month, parts.day, parts.hour, parts.minute, parts.second, parts.millisecond);
}

namespace {

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
qint64 daysFromCivil(qint64 year, int month, int day)
{
    year -= month <= 2;
    const qint64 era = (year >= 0 ? year : year - 399) / 400;
    const qint64 yearOfEra = year - era * 400;
    const qint64 dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const qint64 dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

bool sameLocalTime(const std::tm &a, const std::tm &b)
{
    return a.tm_year == b.tm_year && a.tm_mon == b.tm_mon && a.tm_mday == b.tm_mday && a.tm_hour == b.tm_hour
        && a.tm_min == b.tm_min && a.tm_sec == b.tm_sec;
}

} // namespace

// An instant is the only one showing its local time when the zone keeps one offset from a
// day before to a day after it: no change of the clocks repeats or skips that time.
bool Dates::LocalTimes::isOnlyInstant(std::time_t seconds, const std::tm &wanted, long offset) const
{
    std::tm parts{};
    if (!localtime_r(&seconds, &parts) || parts.tm_gmtoff != offset || !sameLocalTime(parts, wanted))
        return false;
    for (const std::time_t near : {seconds - 86400, seconds + 86400}) {
        if (!localtime_r(&near, &parts) || parts.tm_gmtoff != offset)
            return false;
    }
    return true;
}

qint64 Dates::LocalTimes::toSeconds(int year, int month, int day, int hour, int minute, int second)
{
    std::tm wanted{};
    wanted.tm_year = year - 1900;
    wanted.tm_mon = month - 1;
    wanted.tm_mday = day;
    wanted.tm_hour = hour;
    wanted.tm_min = minute;
    wanted.tm_sec = second;
    const qint64 asUtc = daysFromCivil(year, month, day) * 86400 + qint64(hour) * 3600 + qint64(minute) * 60 + second;
    for (const long offset : m_offsets) {
        if (isOnlyInstant(std::time_t(asUtc - offset), wanted, offset))
            return asUtc - offset;
    }
    wanted.tm_isdst = -1;
    std::tm asked = wanted;
    const std::time_t seconds = std::mktime(&asked);
    if (seconds != std::time_t(-1) && std::find(m_offsets.begin(), m_offsets.end(), asked.tm_gmtoff) == m_offsets.end())
        m_offsets.push_back(asked.tm_gmtoff);
    return qint64(seconds);
}

QString Dates::LocalTimes::storedText(qint64 seconds)
{
    const std::time_t instant = std::time_t(seconds);
    std::tm parts{};
    if (!localtime_r(&instant, &parts) || parts.tm_year + 1900 < 1000 || parts.tm_year + 1900 > 9999)
        return QDateTime::fromSecsSinceEpoch(seconds).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    // Written digit by digit: an import stores one such text a row, and snprintf costs
    // several times all the rest of it.
    char16_t text[] = u"0000-00-00 00:00:00";
    const auto put = [&text](qsizetype end, int value, int width) {
        for (int i = 1; i <= width; ++i, value /= 10)
            text[end - i] = char16_t(u'0' + value % 10);
    };
    put(4, parts.tm_year + 1900, 4);
    put(7, parts.tm_mon + 1, 2);
    put(10, parts.tm_mday, 2);
    put(13, parts.tm_hour, 2);
    put(16, parts.tm_min, 2);
    put(19, parts.tm_sec, 2);
    return QString(reinterpret_cast<const QChar *>(text), qsizetype(std::size(text) - 1));
}
