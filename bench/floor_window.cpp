// The window floor of the start-up benchmark: a Qt window of the main window's size, shown,
// ended after its first paint. Given the file of texts floor_first_page wrote, it also paints
// the first screen's texts where the main window shows them (the fonts a Chinese screen needs
// and the shaping of its texts, which a bare window never pays). It links Qt Widgets alone,
// as the plainest Qt window does: nothing of the program, so none of its libraries load.
//   floor_window [TEXTS]
#include <QApplication>
#include <QFile>
#include <QFontMetrics>
#include <QPainter>
#include <QTimer>
#include <QWidget>

#include <memory>

namespace {

constexpr int WindowWidth = 591; // the main window's design size
constexpr int WindowHeight = 404;

// The texts of the first screen as floor_first_page wrote them: the number of groups' names,
// the names, then the rows' six columns.
struct ScreenTexts
{
    QStringList groups;
    QStringList cells;
};

ScreenTexts readScreenTexts(const QString &path)
{
    QFile file(path);
    ScreenTexts texts;
    if (!file.open(QIODevice::ReadOnly))
        return texts;
    QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    const int groups = lines.isEmpty() ? 0 : lines.takeFirst().toInt();
    texts.groups = lines.mid(0, groups);
    texts.cells = lines.mid(groups);
    return texts;
}

// A window that paints the first screen's texts where the main window shows them: the
// tool bar's captions, the tree's names, the list's header and visible rows (each cell
// elided to its column) and the status line. No widgets inside, no models, no database.
class TextWindow : public QWidget
{
public:
    explicit TextWindow(ScreenTexts texts) : m_texts(std::move(texts)) {}

protected:
    void paintEvent(QPaintEvent *) override
    {
        static const QStringList bar{"透明", "置后", "IP", "收藏夹", "导入", "帮助", "退出", "目录", "查询"};
        static const QStringList header{"网址", "名称", "访问时间", "访问次数", "组别", "收藏"};
        static const int widths[6] = {95, 160, 60, 55, 60, 40};
        constexpr int RowHeight = 18;
        QPainter painter(this);
        painter.fillRect(rect(), QColor(0xEC, 0xE9, 0xD8));
        const QFontMetrics metrics = painter.fontMetrics();
        for (int i = 0; i < bar.size(); ++i)
            painter.drawText(10 + 70 * (i % 7), 15 + 22 * (i / 7), bar[i]);
        for (int i = 0; i < m_texts.groups.size() && 70 + i * RowHeight < height() - 20; ++i)
            painter.drawText(20, 70 + i * RowHeight, metrics.elidedText(m_texts.groups[i], Qt::ElideRight, 130));
        int x = 170;
        for (int column = 0; column < 6; ++column) {
            painter.drawText(x, 55, header[column]);
            for (int row = 0; 6 * row + column < m_texts.cells.size() && 70 + row * RowHeight < height() - 20; ++row)
                painter.drawText(x, 70 + row * RowHeight,
                                 metrics.elidedText(m_texts.cells[6 * row + column], Qt::ElideRight, widths[column]));
            x += widths[column];
        }
        painter.drawText(5, height() - 4, "网址");
        painter.drawText(450, height() - 4, QString::fromUtf8("共%1条记录").arg(m_texts.cells.size() / 6));
    }

private:
    ScreenTexts m_texts;
};

int showUntilFirstPaint(int argc, char **argv, const char *texts)
{
    QApplication app(argc, argv);
    std::unique_ptr<QWidget> window;
    if (texts)
        window = std::make_unique<TextWindow>(readScreenTexts(QString::fromLocal8Bit(texts)));
    else
        window = std::make_unique<QWidget>();
    window->resize(WindowWidth, WindowHeight);
    struct FirstPaint : QObject
    {
        bool eventFilter(QObject *, QEvent *event) override
        {
            if (event->type() == QEvent::Paint)
                QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
            return false;
        }
    } firstPaint;
    window->installEventFilter(&firstPaint);
    window->show();
    return app.exec();
}

} // namespace

int main(int argc, char **argv)
{
    return showUntilFirstPaint(argc, argv, argc > 1 ? argv[1] : nullptr);
}
