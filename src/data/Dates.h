#pragma once

#include <QByteArrayView>
#include <QHash>
#include <QLocale>
#include <QString>
#include <QStringView>

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
        QString text;  // Literal only
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

} // namespace Dates
