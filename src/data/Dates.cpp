#include "data/Dates.h"

#include <QDateTime>
#include <QLocale>

QString Dates::todayForStorage()
{
    return QDate::currentDate().toString(Qt::ISODate);
}

QString Dates::forDisplay(const QString &stored)
{
    if (stored.isEmpty())
        return stored;
    const QLocale locale;
    if (stored.size() == 10) {
        const QDate date = QDate::fromString(stored, Qt::ISODate);
        return date.isValid() ? locale.toString(date, QLocale::ShortFormat) : stored;
    }
    const QDateTime dateTime = QDateTime::fromString(stored, Qt::ISODate);
    if (!dateTime.isValid())
        return stored;
    QString text = locale.toString(dateTime.date(), QLocale::ShortFormat);
    if (dateTime.time() != QTime(0, 0))
        text += QLatin1Char(' ') + locale.toString(dateTime.time(), QLocale::LongFormat);
    return text;
}
