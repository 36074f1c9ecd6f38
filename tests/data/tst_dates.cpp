#include "data/Dates.h"

#include "TestEnv.h"

#include <QDateTime>

#include <ctime>

// How stored dates are shown: the fast formatter of the list must give what the locale
// itself gives, without a time zone, in every locale.
class TestDates : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void showsDateAndTimeWithoutZone_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("shown");
        QTest::newRow("zh date") << "zh_CN"
                                 << "2024-02-29"
                                 << "2024/2/29";
        QTest::newRow("zh midnight") << "zh_CN"
                                     << "2024-02-29 00:00:00"
                                     << "2024/2/29";
        QTest::newRow("zh time") << "zh_CN"
                                 << "2023-01-15 14:30:05"
                                 << "2023/1/15 14:30:05";
        QTest::newRow("zh T") << "zh_CN"
                              << "2023-01-15T04:03:02"
                              << "2023/1/15 04:03:02";
        QTest::newRow("zh minutes") << "zh_CN"
                                    << "2023-01-15 14:30"
                                    << "2023/1/15 14:30:00";
        QTest::newRow("en afternoon") << "en_US"
                                      << "2023-01-15 14:30:05"
                                      << "1/15/23 2:30:05 PM";
        QTest::newRow("en after midnight") << "en_US"
                                           << "2023-01-15 00:00:01"
                                           << "1/15/23 12:00:01 AM";
        QTest::newRow("en noon") << "en_US"
                                 << "2023-01-15 12:00:00"
                                 << "1/15/23 12:00:00 PM";
        QTest::newRow("zone in brackets") << "fa_IR"
                                          << "2024-02-29 13:05:09"
                                          << "۲۰۲۴/۲/۲۹ ۱۳:۰۵:۰۹";
        QTest::newRow("no date") << "zh_CN"
                                 << "someday"
                                 << "someday";
        QTest::newRow("no such day") << "zh_CN"
                                     << "2023-02-30 10:00:00"
                                     << "2023-02-30 10:00:00";
        QTest::newRow("bad time") << "zh_CN"
                                  << "2023-02-03 25:00:00"
                                  << "2023-02-03 25:00:00";
        QTest::newRow("empty") << "zh_CN"
                               << ""
                               << "";
    }

    void showsDateAndTimeWithoutZone()
    {
        QFETCH(QString, locale);
        QFETCH(QString, stored);
        QFETCH(QString, shown);
        Dates::DisplayFormatter formatter{QLocale(locale)};
        QCOMPARE(formatter.format(QStringView(stored)), shown);
        QCOMPARE(formatter.format(QByteArrayView(stored.toUtf8())), shown);
    }

    // Forms the fast path leaves to QDateTime, such as a zone offset, are still shown.
    void unusualFormsTakeTheSlowWay()
    {
        Dates::DisplayFormatter formatter{QLocale(QStringLiteral("zh_CN"))};
        QCOMPARE(formatter.format(u"2023-01-15T14:30:05+08:00"), QStringLiteral("2023/1/15 14:30:05"));
        QCOMPARE(formatter.format(u"2023-01-15 14:30:05.250"), QStringLiteral("2023/1/15 14:30:05"));
    }

    // The time fields are composed by the formatter itself; in every locale they must read
    // as the locale's own long format less the zone, and the zone must be gone.
    void agreesWithTheLocaleEverywhere()
    {
        const QTime times[] = {QTime(0, 0, 1), QTime(9, 5, 7), QTime(12, 0, 0), QTime(13, 59, 59), QTime(23, 1, 2)};
        for (const QLocale &locale :
             QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory)) {
            const QString timeFormat = Dates::timeFormatWithoutZone(locale);
            QVERIFY2(!timeFormat.contains(QLatin1Char('t')) || timeFormat.contains(QLatin1Char('\'')),
                     qPrintable(locale.name() + QLatin1String(": ") + timeFormat));
            Dates::DisplayFormatter formatter(locale);
            for (const QTime &time : times) {
                const QDateTime stored(QDate(2021, 7, 4), time);
                const QString expected = locale.toString(stored.date(), QLocale::ShortFormat) + QLatin1Char(' ')
                    + locale.toString(time, timeFormat);
                QCOMPARE(formatter.format(QStringView(stored.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")))),
                         expected);
            }
        }
    }

    // Exports and imports convert every row's time without the C library's look at the
    // zone for every call; their results must be the library's own, also where the
    // clocks change (the hour skipped or repeated) and for days that do not exist.
    void localTimesAgreeWithTheCLibrary_data()
    {
        QTest::addColumn<QByteArray>("zone");
        QTest::addColumn<QString>("stored");
        const QByteArray berlin = "CET-1CEST,M3.5.0,M10.5.0/3";
        const QByteArray lordHowe = "<+1030>-10:30<+11>-11,M10.1.0,M4.1.0"; // half an hour's change
        QTest::newRow("UTC") << QByteArray("UTC0") << "2019-06-30 23:59:59";
        QTest::newRow("China") << QByteArray("CST-8") << "2024-02-29 08:00:00";
        QTest::newRow("winter") << berlin << "2024-01-15 14:30:05";
        QTest::newRow("summer") << berlin << "2024-07-15 14:30:05";
        QTest::newRow("hour skipped") << berlin << "2024-03-31 02:30:00";
        QTest::newRow("hour repeated") << berlin << "2024-10-27 02:30:00";
        QTest::newRow("day before the change") << berlin << "2024-10-26 02:30:00";
        QTest::newRow("half hour repeated") << lordHowe << "2024-04-07 01:45:00";
        QTest::newRow("no such day") << berlin << "2023-02-31 10:00:00";
        QTest::newRow("hour 24") << berlin << "2023-02-03 24:00:00";
        QTest::newRow("long ago") << berlin << "1901-12-14 00:00:00";
    }

    void localTimesAgreeWithTheCLibrary()
    {
        QFETCH(QByteArray, zone);
        QFETCH(QString, stored);
        const QByteArray zoneBefore = qgetenv("TZ");
        qputenv("TZ", zone);
        tzset();
        std::tm parts{};
        QCOMPARE(std::sscanf(stored.toLatin1().constData(), "%d-%d-%d %d:%d:%d", &parts.tm_year, &parts.tm_mon,
                             &parts.tm_mday, &parts.tm_hour, &parts.tm_min, &parts.tm_sec),
                 6);
        Dates::LocalTimes clock;
        // Times of both seasons first, so that the zone's offsets are known.
        clock.toSeconds(2024, 1, 10, 12, 0, 0);
        clock.toSeconds(2024, 7, 10, 12, 0, 0);
        const qint64 fast =
            clock.toSeconds(parts.tm_year, parts.tm_mon, parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec);
        parts.tm_year -= 1900;
        parts.tm_mon -= 1;
        parts.tm_isdst = -1;
        const qint64 expected = qint64(std::mktime(&parts));
        const QString text = clock.storedText(fast);
        const QString expectedText =
            QDateTime::fromSecsSinceEpoch(fast, Qt::UTC).toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        zoneBefore.isNull() ? qunsetenv("TZ") : qputenv("TZ", zoneBefore);
        tzset();
        QCOMPARE(fast, expected);
        QCOMPARE(text, expectedText);
    }
};

VESTRANE_TEST_MAIN(TestDates)
#include "tst_dates.moc"
