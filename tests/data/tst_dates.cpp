#include "data/Dates.h"

#include "TestEnv.h"

#include <QDateTime>

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
        QTest::newRow("zh date") << "zh_CN" << "2024-02-29" << "2024/2/29";
        QTest::newRow("zh midnight") << "zh_CN" << "2024-02-29 00:00:00" << "2024/2/29";
        QTest::newRow("zh time") << "zh_CN" << "2023-01-15 14:30:05" << "2023/1/15 14:30:05";
        QTest::newRow("zh T") << "zh_CN" << "2023-01-15T04:03:02" << "2023/1/15 04:03:02";
        QTest::newRow("zh minutes") << "zh_CN" << "2023-01-15 14:30" << "2023/1/15 14:30:00";
        QTest::newRow("en afternoon") << "en_US" << "2023-01-15 14:30:05" << "1/15/23 2:30:05 PM";
        QTest::newRow("en after midnight") << "en_US" << "2023-01-15 00:00:01" << "1/15/23 12:00:01 AM";
        QTest::newRow("en noon") << "en_US" << "2023-01-15 12:00:00" << "1/15/23 12:00:00 PM";
        QTest::newRow("zone in brackets") << "fa_IR" << "2024-02-29 13:05:09" << "۲۰۲۴/۲/۲۹ ۱۳:۰۵:۰۹";
        QTest::newRow("no date") << "zh_CN" << "someday" << "someday";
        QTest::newRow("no such day") << "zh_CN" << "2023-02-30 10:00:00" << "2023-02-30 10:00:00";
        QTest::newRow("bad time") << "zh_CN" << "2023-02-03 25:00:00" << "2023-02-03 25:00:00";
        QTest::newRow("empty") << "zh_CN" << "" << "";
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
        for (const QLocale &locale : QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript,
                                                              QLocale::AnyTerritory)) {
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
};

VESTRANE_TEST_MAIN(TestDates)
#include "tst_dates.moc"
