#pragma once

#include <QByteArrayView>
#include <QHash>
#include <QLocale>
#include <QString>
#include <QStringView>

#include <ctime>
#include <vector>

// Dates are stored as ISO text ("YYYY-MM-DD", with " HH:MM:SS" only where a time exists)
// and shown in the user's short date format.
namespace Dates {

QString todayForStorage();
// The stored text as the list shows it: the short date, then the time of day in the
// locale's long time format without its time zone, only when the time is not midnight.
// Text that is no date is shown as stored.
QString forDisplay(const QString &stored);

// The locale's long time format with the time-zone field and the spaces around it removed:
// stored times carry no zone, so naming the machine's zone would be a guess.
QString timeFormatWithoutZone(const QLocale &locale);

// Shows many stored dates as forDisplay() does, at a fraction of its cost: the usual
// stored forms are read without QDateTime, each day is formatted by the locale once, and
// times are composed from the locale's time format, read once. Other forms take the slow
// way. One formatter serves one listing; the locale is the default at its creation.
class DisplayFormatter
{
public:
    DisplayFormatter();
    explicit DisplayFormatter(const QLocale &locale);

    QString format(QStringView stored);
    // The stored text as UTF-8 bytes, as the database hands it over.
    QString format(QByteArrayView storedUtf8);

private:
    struct TimeField
    {
        enum Kind { Literal, Hour24, Hour12, Minute, Second, Millisecond, AmPmUpper, AmPmLower };
        Kind kind = Literal;
        int width = 1; // digits, at least
        QString text; // Literal only
    };

    void parseTimeFormat(const QString &format);
    const QString &day(int year, int month, int day);
    QString compose(int year, int month, int day, int hour, int minute, int second, int millisecond);
    class Digits;
    void appendTime(Digits &digits, QString &text, int hour, int minute, int second, int millisecond) const;
    QString slowFormat(const QString &stored);

    QLocale m_locale;
    QString m_timeFormat;
    bool m_latinDigits;
    QString m_amUpper, m_pmUpper, m_amLower, m_pmLower;
    QHash<int, QString> m_days; // by year * 10000 + month * 100 + day
    std::vector<TimeField> m_timeFields;
};

// Conversions between instants and stored local date-times for many rows at a time, with
// the results of the C library's mktime() and localtime() but without their look at the
// time-zone file at every call (a stat of /etc/localtime each): an export or an import
// converts every row. The zone's offsets met so far are kept; a local time that is not
// known to map to one instant (a change of the clocks near it) takes mktime() itself.
class LocalTimes
{
public:
    // Seconds since the epoch of a local date and time, as mktime() with tm_isdst -1 gives
    // them (fields out of range are carried over as it does).
    qint64 toSeconds(int year, int month, int day, int hour, int minute, int second);
    // The instant in local time as stored: "yyyy-MM-dd HH:mm:ss".
    QString storedText(qint64 seconds);

private:
    bool isOnlyInstant(std::time_t seconds, const std::tm &wanted, long offset) const;

    std::vector<long> m_offsets;
};

} // namespace Dates
