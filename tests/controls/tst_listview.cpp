#include "TestEnv.h"
#include "controls/ListRowModel.h"
#include "controls/AddressListView.h"

#include <QApplication>
#include <QCollator>
#include <QHeaderView>
#include <QImage>
#include <QLocale>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QStyledItemDelegate>
#include <QTextDocument>
#include <QToolTip>
#include <QtTest>

#include <algorithm>
#include <numeric>

namespace {

ListRow makeRow(const QString &caption, const QStringList &subItems = {})
{
    ListRow row;
    row.caption = caption;
    row.subItems = subItems;
    return row;
}

// A row whose sub-item `subItem` holds `text`, the others empty.
ListRow rowWithSubItem(const QString &caption, int subItem, const QString &text)
{
    QStringList subItems(4);
    subItems[subItem] = text;
    return makeRow(caption, subItems);
}

QStringList captions(const AddressListView &list)
{
    QStringList result;
    for (int i = 0; i < list.rows()->count(); ++i)
        result << list.rows()->rowAt(i).caption.toString();
    return result;
}

// The list as the address list sets it up: five columns.
class AddressList : public AddressListView
{
public:
    AddressList()
    {
        addColumn(QStringLiteral("网址"), 100);
        addColumn(QStringLiteral("名称"), 160);
        addColumn(QStringLiteral("访问时间"), 60);
        addColumn(QStringLiteral("访问次数"), 60);
        addColumn(QStringLiteral("组"), 100);
        resize(600, 300);
    }

    using AddressListView::initViewItemOption;
};

} // namespace

class TestListView : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup();

    void firstSortOfColumnZeroIsAscendingAndFlips();
    void otherColumnsStartDescendingAndKeepDirection();
    void headerClickSorts();
    void countColumnIsNumericWithTextsFirst();
    void textColumnsFoldAsciiLettersOnly();
    void textColumnsFollowGb18030();
    void missingSubItemsSortAsEmpty();
    void captionColumnUsesCollator();
    void largeListsSortAsTheCollatorAndEncoderDo();
    void rowTextsKeepEveryCharacterAndSharing();
    void asciiTableOnlyWhereTheCollatorAgrees();
    void refillKeepsAppendOrder();
    void rowsAddedOrRemovedAfterSortSortCorrectly();
    void changedTextsShowAndSortByTheirNewValues();
    void sortKeepsSelectedRow();
    void headerDrawsSortMark();
    void headerFitsHeaderFont();
    void backPictureTilesWithRows();
    void emptyBackPictureDrawsNothing();
    void rowSelectedReportsBothChanges();
    void removingSelectedRowReportsItWhileItExists();
    void imagesAndOutOfRangeRows();
    void rowAtAndDoubleClickAnywhere();
    void keyReleaseIsReported();
    void keysMoveFromRowToRow_data();
    void keysMoveFromRowToRow();
    void rowsAreAsTallAsTheFirstNeeds();
    void hintShownAsPlainText();
    void checkBoxesToggleByClickAndSpace();
    void longTextsDrawAsTheStyleElidesThem_data();
    void longTextsDrawAsTheStyleElidesThem();
};

void TestListView::cleanup()
{
    QToolTip::hideText();
}

void TestListView::firstSortOfColumnZeroIsAscendingAndFlips()
{
    AddressList list;
    QCOMPARE(list.SortColumn, 0);
    QCOMPARE(list.SortAscending, false);
    list.rows()->append(std::vector<ListRow>{makeRow("b"), makeRow("c"), makeRow("a")});

    list.SortByColumn(0);
    QCOMPARE(list.SortAscending, true);
    QCOMPARE(captions(list), QStringList({"a", "b", "c"}));

    list.SortByColumn(0);
    QCOMPARE(list.SortAscending, false);
    QCOMPARE(captions(list), QStringList({"c", "b", "a"}));
}

void TestListView::otherColumnsStartDescendingAndKeepDirection()
{
    AddressList list;
    list.rows()->append(std::vector<ListRow>{
        makeRow("r1", {"n", "2", "0", "x"}),
        makeRow("r2", {"n", "3", "0", "z"}),
        makeRow("r3", {"n", "1", "0", "y"}),
    });

    list.SortByColumn(2);
    QCOMPARE(list.SortColumn, 2);
    QCOMPARE(list.SortAscending, false);
    QCOMPARE(captions(list), QStringList({"r2", "r1", "r3"}));

    list.SortByColumn(4);
    QCOMPARE(list.SortColumn, 4);
    QCOMPARE(list.SortAscending, false);
    QCOMPARE(captions(list), QStringList({"r2", "r3", "r1"}));

    list.SortByColumn(4);
    QCOMPARE(list.SortAscending, true);
    QCOMPARE(captions(list), QStringList({"r1", "r3", "r2"}));
}

void TestListView::headerClickSorts()
{
    AddressList list;
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    list.rows()->append(std::vector<ListRow>{makeRow("b"), makeRow("a")});

    QHeaderView *header = list.header();
    const QPoint onColumnZero(header->sectionViewportPosition(0) + 10, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, onColumnZero);
    QCOMPARE(list.SortAscending, true);
    QCOMPARE(captions(list), QStringList({"a", "b"}));
}

void TestListView::countColumnIsNumericWithTextsFirst()
{
    AddressList list;
    list.rows()->append(std::vector<ListRow>{
        rowWithSubItem("ten", 2, "10"),
        rowWithSubItem("nine", 2, "9"),
        rowWithSubItem("empty", 2, ""),
        rowWithSubItem("hundred", 2, "100"),
        rowWithSubItem("text", 2, "abc"),
    });

    list.SortColumn = 3; // next click flips to ascending
    list.SortByColumn(3);
    QCOMPARE(list.SortAscending, true);
    QCOMPARE(captions(list), QStringList({"empty", "text", "nine", "ten", "hundred"}));

    list.SortByColumn(3);
    QCOMPARE(captions(list), QStringList({"hundred", "ten", "nine", "empty", "text"}));

    // The same texts in a text column compare as text.
    ListRowModel model;
    model.append(std::vector<ListRow>{rowWithSubItem("ten", 1, "10"), rowWithSubItem("nine", 1, "9")});
    model.sortRows(2, true);
    QCOMPARE(model.rowAt(0).caption.toString(), QStringLiteral("ten"));
}

void TestListView::textColumnsFoldAsciiLettersOnly()
{
    ListRowModel model;
    model.append(std::vector<ListRow>{
        makeRow("lower", {"abc"}),
        makeRow("bracket", {"["}),
        makeRow("upper", {"ABC"}),
    });
    // "a" becomes "A" (0x41) before comparing, so it sorts before "[" (0x5B);
    // the two spellings of "abc" are equal and keep their order either way.
    model.sortRows(1, true);
    QCOMPARE(model.rowAt(0).caption.toString(), QStringLiteral("lower"));
    QCOMPARE(model.rowAt(1).caption.toString(), QStringLiteral("upper"));
    QCOMPARE(model.rowAt(2).caption.toString(), QStringLiteral("bracket"));

    model.sortRows(1, false);
    QCOMPARE(model.rowAt(0).caption.toString(), QStringLiteral("bracket"));
    QCOMPARE(model.rowAt(1).caption.toString(), QStringLiteral("lower"));
    QCOMPARE(model.rowAt(2).caption.toString(), QStringLiteral("upper"));
}

void TestListView::textColumnsFollowGb18030()
{
    // U+4E2D comes before U+5927 in Unicode, but 大 (B4 F3) comes before
    // 中 (D6 D0) in GB18030.
    const QString zhong = QStringLiteral("中");
    const QString da = QStringLiteral("大");
    QVERIFY(zhong < da);

    ListRowModel model;
    model.append(std::vector<ListRow>{makeRow("zhong", {zhong}), makeRow("da", {da})});
    model.sortRows(1, true);
    QCOMPARE(model.rowAt(0).caption.toString(), QStringLiteral("da"));
    QCOMPARE(model.rowAt(1).caption.toString(), QStringLiteral("zhong"));

    // A prefix sorts before the longer text.
    model.append(makeRow("prefix", {QStringLiteral("大")}));
    model.append(makeRow("longer", {QStringLiteral("大学")}));
    model.sortRows(1, true);
    QCOMPARE(model.rowAt(0).caption.toString(), QStringLiteral("da"));
    QCOMPARE(model.rowAt(1).caption.toString(), QStringLiteral("prefix"));
    QCOMPARE(model.rowAt(2).caption.toString(), QStringLiteral("longer"));
}

void TestListView::missingSubItemsSortAsEmpty()
{
    AddressList list;
    list.rows()->append(std::vector<ListRow>{makeRow("full", {"a", "b", "7", "d"}), makeRow("bare")});
    for (int column = 1; column <= 4; ++column) {
        list.SortByColumn(column); // descending
        QCOMPARE(captions(list), QStringList({"full", "bare"}));
    }
    list.SortByColumn(7); // beyond the columns: nothing to order by
    QCOMPARE(list.rows()->count(), 2);
}

void TestListView::captionColumnUsesCollator()
{
    ListRowModel model;
    model.append(
        std::vector<ListRow>{makeRow("中"), makeRow("B"), makeRow("b"), makeRow("大"), makeRow("A"), makeRow("a")});
    model.sortRows(0, true);
    // Case-sensitive, yet letters before case, not the order of code points;
    // the Chinese locale puts Chinese first, by pinyin.
    auto order = [&model] {
        QStringList result;
        for (int i = 0; i < model.count(); ++i)
            result << model.rowAt(i).caption.toString();
        return result;
    };
    QCOMPARE(order(), QStringList({"大", "中", "a", "A", "b", "B"}));

    // Another locale builds new keys: Latin first, Chinese by code point.
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    model.sortRows(0, true);
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    QCOMPARE(order(), QStringList({"a", "A", "b", "B", "中", "大"}));
}

void TestListView::refillKeepsAppendOrder()
{
    AddressList list;
    list.rows()->append(std::vector<ListRow>{makeRow("b"), makeRow("a")});
    list.SortByColumn(0);
    QCOMPARE(captions(list), QStringList({"a", "b"}));

    list.rows()->clear();
    list.rows()->append(std::vector<ListRow>{makeRow("z"), makeRow("c"), makeRow("m")});
    list.rows()->append(makeRow("d"));
    QCOMPARE(captions(list), QStringList({"z", "c", "m", "d"}));
    QCOMPARE(list.SortColumn, 0);
    QCOMPARE(list.SortAscending, true);
}

void TestListView::rowsAddedOrRemovedAfterSortSortCorrectly()
{
    // Sort keys are kept per row; they must follow their rows.
    ListRowModel model;
    model.append(
        std::vector<ListRow>{makeRow("c", {"c", "", "3"}), makeRow("a", {"a", "", "1"}), makeRow("b", {"b", "", "2"})});
    model.sortRows(1, true);
    model.sortRows(3, true);
    model.sortRows(0, true);
    model.removeRowAt(0);
    model.append(makeRow("0", {"0", "", "0"}));
    model.append(makeRow("d", {"d", "", "4"}));

    for (int column : {0, 1, 3}) {
        model.sortRows(column, false);
        QStringList order;
        for (int i = 0; i < model.count(); ++i)
            order << model.rowAt(i).caption.toString();
        QCOMPARE(order, QStringList({"d", "c", "b", "0"}));
    }
}

void TestListView::changedTextsShowAndSortByTheirNewValues()
{
    ListRowModel model;
    model.setColumnCaptions({"网址", "名称", "访问时间", "访问次数"});
    model.append(std::vector<ListRow>{makeRow("a", {"a", "", "1"}), makeRow("b", {"b", "", "2"})});
    model.setImageIndex(0, 1);
    model.sortRows(0, true);
    model.sortRows(1, true);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    model.setTexts(0, "z", {"z", "", "9"});
    QCOMPARE(changed.size(), 1);
    QCOMPARE(model.data(model.index(0, 1)).toString(), QStringLiteral("z"));
    QCOMPARE(model.rowAt(0).imageIndex, 1);
    for (int column : {0, 1, 3}) {
        model.sortRows(column, true);
        QCOMPARE(model.rowAt(1).caption.toString(), QStringLiteral("z"));
    }
}

void TestListView::sortKeepsSelectedRow()
{
    AddressList list;
    list.rows()->append(std::vector<ListRow>{makeRow("c"), makeRow("a"), makeRow("b")});
    list.selectRow(0);
    QSignalSpy spy(&list, &AddressListView::rowSelected);
    list.SortByColumn(0);
    QCOMPARE(list.selectedRow(), 2);
    QCOMPARE(list.currentIndex().row(), 2);
    QCOMPARE(spy.count(), 0);
}

// The mark is the set of caption-coloured pixels that sorting by a column adds to its
// section. It must lie inside the section, also on the 60-pixel columns whose captions
// nearly fill them, and point up for an ascending, down for a descending order.
// Sorting compares prefixes kept beside the rows and a table of the collator's ASCII
// weights; the result must be exactly the plain stable sort by the collator (column 0)
// and by the GB18030 bytes (other columns), with long shared prefixes, letter case,
// punctuation, a few non-ASCII captions and equal keys.
void TestListView::largeListsSortAsTheCollatorAndEncoderDo()
{
    const QString stems[] = {QStringLiteral("https://www.example.com/path/to/a/long/page/"),
                             QStringLiteral("HTTPS://www.Example.com/path/to/a/long/page/"),
                             QStringLiteral("http://a-b.cn/"),
                             QStringLiteral("http://a_b.cn/"),
                             QStringLiteral("www.x.com?q="),
                             QStringLiteral("例子.中国/"),
                             QStringLiteral("café.fr/")};
    const QString names[] = {QStringLiteral("新闻"),         QStringLiteral("Apple"),  QStringLiteral("apple"),
                             QStringLiteral("网址 Example"), QStringLiteral("新闻 2"), QStringLiteral("😀 smile")};
    ListRowModel model;
    std::vector<ListRow> rows;
    QStringList sharedCaptions; // a caption shared elsewhere is kept as UTF-16, the others as Latin-1
    for (int i = 0; i < 3000; ++i) {
        const int stem = i % 53 == 0 ? 5 + i % 2 : (i * 7) % 5; // a few non-ASCII captions
        const QString caption = stems[stem] + QString::number((i * 7919) % 1000);
        if (i % 11 == 0)
            sharedCaptions.append(caption);
        rows.push_back(makeRow(caption, {names[(i * 13) % 6], QString(), QString::number(i % 7), QString()}));
    }
    const std::vector<ListRow> original = rows;
    model.append(std::move(rows));

    QCollator collator{QLocale()};
    collator.setCaseSensitivity(Qt::CaseSensitive);
    QStringEncoder encoder = ListSortKeys::textEncoder();
    for (bool ascending : {true, false}) {
        std::vector<int> expected(original.size());
        std::iota(expected.begin(), expected.end(), 0);
        std::stable_sort(expected.begin(), expected.end(), [&](int a, int b) {
            const int r =
                collator.compare(original[size_t(a)].caption.toString(), original[size_t(b)].caption.toString());
            return ascending ? r < 0 : r > 0;
        });
        model.sortRows(0, ascending);
        for (size_t i = 0; i < expected.size(); ++i)
            QCOMPARE(model.rowAt(int(i)).caption.toString(), original[size_t(expected[i])].caption);

        // Column 1 from the order column 0 left: equal names keep that order.
        std::vector<ListRow> before;
        for (int i = 0; i < model.count(); ++i)
            before.push_back(model.rowAt(i));
        std::vector<int> byName(before.size());
        std::iota(byName.begin(), byName.end(), 0);
        std::stable_sort(byName.begin(), byName.end(), [&](int a, int b) {
            const QByteArray first = ListSortKeys::textKey(encoder, before[size_t(a)].subItems.value(0));
            const QByteArray second = ListSortKeys::textKey(encoder, before[size_t(b)].subItems.value(0));
            const int r =
                ListSortKeys::compareTextKeys(first.constData(), first.size(), second.constData(), second.size());
            return ascending ? r < 0 : r > 0;
        });
        model.sortRows(1, ascending);
        for (size_t i = 0; i < byName.size(); ++i)
            QCOMPARE(model.rowAt(int(i)).caption.toString(), before[size_t(byName[i])].caption);
    }
}

void TestListView::rowTextsKeepEveryCharacterAndSharing()
{
    const QString texts[] = {QString(),
                             QStringLiteral("2024/3/5 14:05:09"),
                             QString(23, QLatin1Char('x')),
                             QString(24, QLatin1Char('y')),
                             QStringLiteral("http://café.fr/") + QString(30, u'é'),
                             QStringLiteral("新闻"),
                             QStringLiteral("https://a.com/") + QStringLiteral("例子") + QString(40, u'z')};
    for (const QString &text : texts) {
        QString own = QString(text.constData(), text.size()); // not shared with `text`
        const ListText stored(std::move(own));
        QCOMPARE(stored.toString(), text);
        QCOMPARE(stored.isEmpty(), text.isEmpty());
        QVERIFY(stored == text);
        QVERIFY(stored != text + QLatin1Char('!'));
    }

    // A long text shared already (a group name the reader hands every row of its group)
    // stays one block for all of them.
    const QString cached = QString(40, QLatin1Char('g'));
    const QString group = cached;
    const ListText first(group);
    const ListText second(group);
    QVERIFY(first.sharedData() == group.constData());
    QVERIFY(second.sharedData() == group.constData());

    const RowTexts row{QStringLiteral("a"), QStringLiteral("b")};
    QCOMPARE(row.size(), 2);
    QCOMPARE(row.toList(), QStringList({"a", "b"}));
    QCOMPARE(row.value(2), QString());
    QCOMPARE(row.value(-1), QString());
}

void TestListView::asciiTableOnlyWhereTheCollatorAgrees()
{
    auto tableFor = [](const char *name) {
        QCollator collator{QLocale(QString::fromLatin1(name))};
        collator.setCaseSensitivity(Qt::CaseSensitive);
        return ListSortKeys::AsciiCollation::forCollator(collator);
    };
    QVERIFY(tableFor("zh_CN"));
    QVERIFY(tableFor("en_US"));
    QVERIFY(!tableFor("cs_CZ")); // "ch" sorts after "h"
    QVERIFY(!tableFor("da_DK")); // "aa" sorts as "å"

    // Only printable ASCII texts may use the table; the test reads four units at a time.
    using ListSortKeys::AsciiCollation;
    QVERIFY(AsciiCollation::isPrintableAscii(u""));
    QVERIFY(AsciiCollation::isPrintableAscii(u" ~ab"));
    QVERIFY(AsciiCollation::isPrintableAscii(u"https://www.a.com/?q=1&r=~"));
    for (char16_t odd : {u'\x1f', u'\t', u'\x7f', u'\x80', u'é', u'中'}) {
        for (int position : {0, 3, 4, 9}) {
            QString text(10, QLatin1Char('a'));
            text[position] = QChar(odd);
            QVERIFY2(!AsciiCollation::isPrintableAscii(text), qPrintable(QString::number(int(odd))));
        }
    }
}

void TestListView::headerDrawsSortMark()
{
    AddressList list;
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    QHeaderView *header = list.header();
    const QRgb ink = header->palette().color(QPalette::WindowText).rgb();
    auto grabSortedBy = [&](int column, bool ascending) {
        list.SortColumn = column;
        list.SortAscending = ascending;
        header->viewport()->repaint();
        return header->viewport()->grab().toImage();
    };

    for (int column = 0; column < 5; ++column) {
        const QImage unsorted = grabSortedBy(column == 0 ? 1 : 0, true);
        const int left = header->sectionViewportPosition(column);
        const int right = left + header->sectionSize(column) - 1;
        for (bool ascending : {true, false}) {
            const QImage sorted = grabSortedBy(column, ascending);
            QMap<int, int> widthByRow; // of the mark, by pixel row
            for (int y = 0; y < sorted.height(); ++y) {
                for (int x = 0; x < sorted.width(); ++x) {
                    if (sorted.pixel(x, y) == ink && unsorted.pixel(x, y) != ink) {
                        QVERIFY2(x >= left && x <= right,
                                 qPrintable(QStringLiteral("column %1, x %2").arg(column).arg(x)));
                        ++widthByRow[y];
                    }
                }
            }
            QVERIFY2(widthByRow.size() >= 3, qPrintable(QStringLiteral("no mark on column %1").arg(column)));
            const int topWidth = widthByRow.first();
            const int bottomWidth = widthByRow.last();
            if (ascending)
                QVERIFY(bottomWidth > topWidth);
            else
                QVERIFY(topWidth > bottomWidth);
        }
    }
}

void TestListView::headerFitsHeaderFont()
{
    AddressList list;
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    const int before = list.header()->height();
    QFont big = list.HeaderFont;
    big.setPixelSize(40);
    list.SetHeaderFont(big);
    QTRY_VERIFY(list.header()->height() >= QFontMetrics(big).height());
    QVERIFY(list.header()->height() > before);
    QCOMPARE(list.HeaderFont.pixelSize(), 40);
}

void TestListView::backPictureTilesWithRows()
{
    AddressList list;
    list.setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    std::vector<ListRow> rows;
    for (int i = 0; i < 200; ++i)
        rows.push_back(makeRow(QString()));
    list.rows()->append(std::move(rows));
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));

    // A 4 x 4 tile, blue in its top-left pixel and red elsewhere.
    QImage tile(4, 4, QImage::Format_RGB32);
    tile.fill(Qt::red);
    tile.setPixelColor(0, 0, Qt::blue);
    list.SetBackPicture(QPixmap::fromImage(tile));

    for (int scroll : {0, 1235}) {
        list.verticalScrollBar()->setValue(scroll);
        const int firstTop = list.visualRect(list.rows()->index(0, 0)).top() - 2;
        int y = firstTop;
        while (y < 60) // clear of the current row's focus frame
            y += 4;
        const QImage image = list.viewport()->grab().toImage();
        QCOMPARE(image.pixelColor(200, y), QColor(Qt::blue));
        QCOMPARE(image.pixelColor(201, y), QColor(Qt::red));
        QCOMPARE(image.pixelColor(200, y + 1), QColor(Qt::red));
    }
}

void TestListView::emptyBackPictureDrawsNothing()
{
    AddressList list;
    list.rows()->append(makeRow("a"));
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    list.SetBackPicture(QPixmap(0, 10)); // no graphic: must not loop
    const QImage image = list.viewport()->grab().toImage();
    QCOMPARE(image.pixelColor(300, 200), list.viewport()->palette().color(QPalette::Base));
}

void TestListView::rowSelectedReportsBothChanges()
{
    AddressList list;
    list.rows()->append(std::vector<ListRow>{makeRow("a"), makeRow("b"), makeRow("c")});
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    QSignalSpy spy(&list, &AddressListView::rowSelected);

    list.selectRow(1);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0), QVariantList({1, true}));
    QCOMPARE(list.selectedRow(), 1);

    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.visualRect(list.rows()->index(2, 1)).center());
    QCOMPARE(spy.count(), 3);
    QCOMPARE(spy.at(1), QVariantList({1, false}));
    QCOMPARE(spy.at(2), QVariantList({2, true}));

    // A click below the rows clears the selection.
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, QPoint(20, list.viewport()->height() - 5));
    QCOMPARE(spy.count(), 4);
    QCOMPARE(spy.at(3), QVariantList({2, false}));
    QCOMPARE(list.selectedRow(), -1);
}

void TestListView::removingSelectedRowReportsItWhileItExists()
{
    AddressList list;
    list.rows()->append(std::vector<ListRow>{makeRow("a"), makeRow("b"), makeRow("c")});
    list.selectRow(1);
    QStringList reported;
    connect(&list, &AddressListView::rowSelected, &list, [&](int row, bool selected) {
        reported << list.rows()->rowAt(row).caption.toString() + (selected ? "+" : "-");
    });
    list.rows()->removeRowAt(1);
    QCOMPARE(reported, QStringList({"b-"}));
    QCOMPARE(list.selectedRow(), -1);
    QCOMPARE(captions(list), QStringList({"a", "c"}));
}

void TestListView::imagesAndOutOfRangeRows()
{
    AddressList list;
    QPixmap star(16, 16);
    star.fill(Qt::yellow);
    list.setSmallImages({QIcon(), QIcon(star)});
    list.rows()->append(std::vector<ListRow>{makeRow("a"), makeRow("b")});
    ListRowModel *rows = list.rows();

    rows->setImageIndex(0, 1);
    rows->setImageIndex(1, 3); // beyond the image list: no picture
    QVERIFY(!rows->index(0, 0).data(Qt::DecorationRole).value<QIcon>().isNull());
    QVERIFY(!rows->index(1, 0).data(Qt::DecorationRole).isValid());
    QVERIFY(!rows->index(0, 1).data(Qt::DecorationRole).isValid());

    rows->setImageIndex(5, 1);
    rows->setChecked(-1, true);
    rows->removeRowAt(2);
    QCOMPARE(rows->rowAt(2).caption.toString(), QString());
    QCOMPARE(rows->count(), 2);
    QCOMPARE(rows->rowAt(1).imageIndex, 3);
}

void TestListView::rowAtAndDoubleClickAnywhere()
{
    AddressList list;
    list.rows()->append(std::vector<ListRow>{makeRow("a"), makeRow("b")});
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    const QRect second = list.visualRect(list.rows()->index(1, 0));

    QCOMPARE(list.rowAt(second.center()), 1);
    QCOMPARE(list.rowAt(QPoint(list.viewport()->width() - 2, second.center().y())), 1);
    QCOMPARE(list.rowAt(QPoint(10, list.viewport()->height() - 5)), -1);

    QSignalSpy moves(&list, &AddressListView::mouseMovedTo);
    QTest::mouseMove(list.viewport(), second.center());
    QTRY_VERIFY(!moves.isEmpty());
    QCOMPARE(moves.last().at(0).toPoint(), second.center());

    QSignalSpy doubleClicks(&list, &AddressListView::doubleClickedAnywhere);
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, QPoint(10, list.viewport()->height() - 5));
    QCOMPARE(doubleClicks.count(), 1);
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, second.center());
    QCOMPARE(doubleClicks.count(), 2);
}

void TestListView::keyReleaseIsReported()
{
    AddressList list;
    list.rows()->append(std::vector<ListRow>{makeRow("a"), makeRow("b")});
    list.selectRow(0);
    QSignalSpy spy(&list, &AddressListView::keyReleased);
    QTest::keyClick(&list, Qt::Key_Down);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toInt(), int(Qt::Key_Down));
    QCOMPARE(list.selectedRow(), 1);
}

// Keys go from row to row and keep the current column; left and right scroll the
// columns sideways instead of going to the next cell.
void TestListView::keysMoveFromRowToRow_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("scroll"); // -1 back, 0 none, 1 on

    QTest::newRow("down") << int(Qt::Key_Down) << 6 << 2 << 0;
    QTest::newRow("up") << int(Qt::Key_Up) << 4 << 2 << 0;
    QTest::newRow("home") << int(Qt::Key_Home) << 0 << 2 << 0;
    QTest::newRow("end") << int(Qt::Key_End) << 39 << 2 << 0;
    QTest::newRow("left") << int(Qt::Key_Left) << 5 << 2 << -1;
    QTest::newRow("right") << int(Qt::Key_Right) << 5 << 2 << 1;
    QTest::newRow("tab leaves the list") << int(Qt::Key_Tab) << 5 << 2 << 0;
}

void TestListView::keysMoveFromRowToRow()
{
    QFETCH(int, key);
    QWidget window;
    auto *list = new AddressList;
    list->setParent(&window);
    auto *next = new QWidget(&window);
    next->setFocusPolicy(Qt::StrongFocus);
    list->resize(300, 200); // narrower than its columns
    std::vector<ListRow> rows;
    for (int i = 0; i < 40; ++i)
        rows.push_back(makeRow(QString::number(i), {"n", "1", "1", "g"}));
    list->rows()->append(std::move(rows));
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    list->setFocus();
    list->setCurrentIndex(list->rows()->index(5, 2));
    list->horizontalScrollBar()->setValue(40);

    QTest::keyClick(list, Qt::Key(key));
    QTEST(list->currentIndex().row(), "row");
    QTEST(list->currentIndex().column(), "column");
    QCOMPARE(list->selectedRow(), list->currentIndex().row());
    QFETCH(int, scroll);
    const int moved = list->horizontalScrollBar()->value() - 40;
    QCOMPARE(moved > 0 ? 1 : moved < 0 ? -1 : 0, scroll);
    QCOMPARE(list->hasFocus(), key != Qt::Key_Tab);
}

// Every row is as tall as the first row needs, picture and check box included; scrolled
// to the end, the top row still starts at the top.
void TestListView::rowsAreAsTallAsTheFirstNeeds()
{
    AddressList list;
    QPixmap picture(16, 16);
    picture.fill(Qt::blue);
    list.setSmallImages({QIcon(picture)});
    std::vector<ListRow> rows;
    for (int i = 0; i < 100; ++i)
        rows.push_back(makeRow(QString::number(i), {"n"}));
    rows[0].imageIndex = 0;
    list.rows()->append(std::move(rows));
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));

    auto needed = [&list](int row) {
        QStyleOptionViewItem option;
        list.initViewItemOption(&option);
        return list.itemDelegate()->sizeHint(option, list.rows()->index(row, 0)).height();
    };
    const int withPicture = needed(0);
    QVERIFY(withPicture > needed(1));
    QCOMPARE(list.rowHeight(99), withPicture);
    list.rows()->setImageIndex(0, -1);
    QCOMPARE(list.rowHeight(99), needed(1));
    list.rows()->setImageIndex(0, 0);
    QCOMPARE(list.rowHeight(50), withPicture);

    for (int top : {0, 7, list.verticalScrollBar()->maximum()}) {
        list.verticalScrollBar()->setValue(top);
        QCOMPARE(list.visualRect(list.rows()->index(top, 0)).top(), 0);
    }
    QVERIFY(list.verticalScrollBar()->maximum() > 7);
}

void TestListView::hintShownAsPlainText()
{
    AddressList list;
    list.rows()->append(makeRow("a"));
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    const QPoint onRow = list.visualRect(list.rows()->index(0, 0)).center();

    list.setHintText(QStringLiteral("组        别：<b>x</b>\r网        址：a&b"));
    QHelpEvent tip(QEvent::ToolTip, onRow, list.viewport()->mapToGlobal(onRow));
    QApplication::sendEvent(list.viewport(), &tip);
    QTRY_VERIFY(QToolTip::isVisible());
    const QString shown = QToolTip::text();
    QTextDocument document;
    document.setHtml(shown);
    QCOMPARE(document.toPlainText(), QStringLiteral("组        别：<b>x</b>\n网        址：a&b"));
    QVERIFY(shown.contains(QStringLiteral("&lt;b&gt;")));

    QToolTip::hideText();
    QTRY_VERIFY(!QToolTip::isVisible());
    list.setHintText(QString());
    QHelpEvent again(QEvent::ToolTip, onRow, list.viewport()->mapToGlobal(onRow));
    QApplication::sendEvent(list.viewport(), &again);
    QTest::qWait(50);
    QVERIFY(!QToolTip::isVisible());
}

void TestListView::checkBoxesToggleByClickAndSpace()
{
    AddressList list;
    list.setCheckBoxes(true);
    ListRow row = makeRow("a");
    row.checked = true;
    list.rows()->append(std::vector<ListRow>{row, makeRow("b")});
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    QSignalSpy spy(&list, &AddressListView::checkStateChanged);

    const QModelIndex first = list.rows()->index(0, 0);
    QCOMPARE(first.data(Qt::CheckStateRole).toInt(), int(Qt::Checked));
    QStyleOptionViewItem option;
    list.initViewItemOption(&option);
    option.rect = list.visualRect(first);
    option.features |= QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
    option.text = QStringLiteral("a");
    const QRect box = list.style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, &list);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, box.center());
    QVERIFY(!list.rows()->isChecked(0));
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toInt(), 0);

    // Space toggles the current row, even with another cell current.
    list.setCurrentIndex(list.rows()->index(1, 2));
    QTest::keyClick(&list, Qt::Key_Space);
    QVERIFY(list.rows()->isChecked(1));
    QTest::keyClick(&list, Qt::Key_Space);
    QVERIFY(!list.rows()->isChecked(1));

    // Without check boxes the column shows none and a click changes nothing.
    list.setCheckBoxes(false);
    QVERIFY(!first.data(Qt::CheckStateRole).isValid());
    QTest::keyClick(&list, Qt::Key_Space);
    QVERIFY(!list.rows()->isChecked(1));
}

VESTRANE_TEST_MAIN(TestListView)
// The list cuts long texts before the style elides them; what shows must be what the style
// draws from the whole text, in the narrow first column and the wider second, and a column
// fitted to its texts takes the whole text's width.
void TestListView::longTextsDrawAsTheStyleElidesThem_data()
{
    QTest::addColumn<QString>("text");
    const QString address =
        QStringLiteral("http://www.example.com/download/2019/category/item75663/list?id=24627&lang=zh");
    QTest::newRow("long address") << address.repeated(4);
    QTest::newRow("kerned pairs") << QStringLiteral("AVAWAYTo").repeated(40);
    QTest::newRow("ligatures") << QStringLiteral("ffiffl").repeated(40);
    QTest::newRow("narrow letters") << QStringLiteral("il1.|").repeated(60);
    QTest::newRow("marks") << QStringLiteral("a\u0301e\u0308").repeated(60);
    QTest::newRow("astral letters") << QStringLiteral("\U0001F600x\U00020000").repeated(40);
    QTest::newRow("Chinese and Latin") << QStringLiteral("网址组别abc").repeated(30);
    QTest::newRow("lines") << QStringLiteral("m\nsecond line of a name written by another program").repeated(3);
    QTest::newRow("fits") << QStringLiteral("short");
    QTest::newRow("just too long") << QStringLiteral("m").repeated(14);
}

void TestListView::longTextsDrawAsTheStyleElidesThem()
{
    QFETCH(QString, text);
    // What shows, and the width a double click on the header's divider gives the column.
    const auto drawn = [&text](bool plainDelegate) -> std::pair<QImage, int> {
        AddressList list;
        if (plainDelegate)
            list.setItemDelegate(new QStyledItemDelegate(&list));
        list.rows()->append(makeRow(text, {text}));
        list.show();
        if (!QTest::qWaitForWindowExposed(&list))
            return {};
        // No current or chosen row: the list's own delegate draws those across the whole row.
        list.selectionModel()->clear();
        const QImage image = list.viewport()->grab().toImage();
        list.resizeColumnToContents(0);
        return {image, list.columnWidth(0)};
    };
    const auto cut = drawn(false);
    QVERIFY(!cut.first.isNull());
    QCOMPARE(cut, drawn(true));
}

#include "tst_listview.moc"
