#include "import/ImportWindow.h"

#include "bookmarks/BackgroundImport.h"
#include "bookmarks/BookmarkFile.h"
#include "bookmarks/BrowserProfiles.h"
#include "controls/ListRowModel.h"
#include "controls/AddressListView.h"
#include "data/SharedConnection.h"
#include "data/Schema.h"
#include "import/ImportPictures.h"
#include "import/ToolSeparator.h"
#include "platform/DesignFont.h"
#include "platform/Dialogs.h"
#include "services/HistoryCommands.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QPalette>
#include <QProgressDialog>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <utility>
#include <vector>

namespace {

// A bookmark row keeps the index of its plan row as a sub-item beyond the shown columns,
// so that a sorted list still finds it.
constexpr int PlanIndexItem = 2;

QString reportText(const ImportReport &report)
{
    return ImportWindow::tr("导入完成。\n\n") + report.lines();
}

} // namespace

ImportWindow::ImportWindow(SharedConnection &sharedConnection, QWidget *owner)
    : CaptionWindow(owner), m_sharedConnection(sharedConnection)
{
    resize(DesignWidth, DesignHeight);
    contentArea()->setFont(designFont(11));
    buildToolBar();
    buildList();
    // The browser and file buttons make the tool bar wider than the design width; the
    // window grows so that "导入数据" and "退出" stay on the bar.
    resize(qMax(DesignWidth, m_controls.toolBand->sizeHint().width()), DesignHeight);

    standardSetup();
    setCaptionText(tr("导入IE数据"));
    setWindowTitle(captionText());
}

void ImportWindow::buildToolBar()
{
    m_controls.toolBand = new QWidget(contentArea());
    m_controls.toolBand->setObjectName(QStringLiteral("toolBand"));
    m_controls.toolBand->setFixedHeight(BandHeight);
    m_controls.toolBand->setAutoFillBackground(true);
    QPalette band = m_controls.toolBand->palette();
    band.setBrush(QPalette::Window, QBrush(ImportPictures::bandTile(BandHeight)));
    m_controls.toolBand->setPalette(band);

    m_controls.toolBar = new QToolBar(m_controls.toolBand);
    m_controls.toolBar->setObjectName(QStringLiteral("toolBar"));
    m_controls.toolBar->setMovable(false);
    m_controls.toolBar->setFloatable(false);
    m_controls.toolBar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_controls.toolBar->setIconSize(QSize(16, 16));
    m_controls.toolBar->setAutoFillBackground(false);
    m_controls.toolBar->setAttribute(Qt::WA_NoSystemBackground);
    m_controls.toolBar->setStyleSheet(QStringLiteral("QToolBar { background: transparent; border: none; }"));

    m_controls.favoritesButton =
        addToolButton(tr("从IE导入"), QStringLiteral("tb_ie"), &ImportWindow::listFavoritesFolder);
    m_controls.favoritesButton->setMinimumWidth(0); // sized to its caption
    m_controls.browserButton =
        addToolButton(tr("从浏览器导入"), QStringLiteral("tb_browser"), &ImportWindow::listBrowserProfile);
    m_controls.browserButton->setMinimumWidth(0);
    m_controls.fileButton =
        addToolButton(tr("从文件导入…"), QStringLiteral("tb_file"), &ImportWindow::chooseBookmarkFile);
    m_controls.fileButton->setMinimumWidth(0);
    m_controls.gapAfterSources = addSeparator();
    m_controls.checkAllButton = addToolButton(tr("全选"), QStringLiteral("tb_selectall"), &ImportWindow::checkAll);
    m_controls.uncheckAllButton =
        addToolButton(tr("全不选"), QStringLiteral("tb_selectnone"), &ImportWindow::uncheckAll);
    m_controls.flipChecksButton = addToolButton(tr("反选"), QStringLiteral("tb_invert"), &ImportWindow::flipChecks);
    m_controls.gapAfterChecks = addSeparator();
    m_controls.importButton = addToolButton(tr("导入数据"), QStringLiteral("tb_import"), &ImportWindow::importChecked);
    m_controls.gapAfterImport = addSeparator();
    m_controls.exitButton = addToolButton(tr("退出"), QStringLiteral("tb_exit"), &ImportWindow::exitWindow);
    const std::pair<QWidget *, const char *> names[] = {
        {m_controls.favoritesButton, "favoritesButton"},
        {m_controls.browserButton, "browserButton"},
        {m_controls.fileButton, "fileButton"},
        {m_controls.gapAfterSources, "gapAfterSources"},
        {m_controls.checkAllButton, "checkAllButton"},
        {m_controls.uncheckAllButton, "uncheckAllButton"},
        {m_controls.flipChecksButton, "flipChecksButton"},
        {m_controls.gapAfterChecks, "gapAfterChecks"},
        {m_controls.importButton, "importButton"},
        {m_controls.gapAfterImport, "gapAfterImport"},
        {m_controls.exitButton, "exitButton"},
    };
    for (const auto &[control, name] : names)
        control->setObjectName(QLatin1String(name));

    auto *bandLayout = new QHBoxLayout(m_controls.toolBand);
    bandLayout->setContentsMargins(2, 2, 2, 2);
    bandLayout->setSpacing(0);
    bandLayout->addWidget(m_controls.toolBar);
    bandLayout->addStretch(1);
}

QToolButton *ImportWindow::addToolButton(const QString &caption, const QString &picture,
                                         void (ImportWindow::*handler)())
{
    auto *button = new QToolButton(m_controls.toolBar);
    button->setText(caption);
    button->setIcon(ImportPictures::toolButtonIcon(picture));
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setAutoRaise(true);
    // At least the design width; never narrower than the caption needs.
    button->setMinimumWidth(ButtonWidth);
    connect(button, &QToolButton::clicked, this, handler);
    m_controls.toolBar->addWidget(button);
    return button;
}

ToolSeparator *ImportWindow::addSeparator()
{
    auto *separator = new ToolSeparator(SeparatorWidth, m_controls.toolBar);
    m_controls.toolBar->addWidget(separator);
    return separator;
}

void ImportWindow::buildList()
{
    m_controls.addressList = new AddressListView(contentArea());
    m_controls.addressList->setObjectName(QStringLiteral("addressList"));
    m_controls.addressList->setCheckBoxes(true);
    m_controls.addressList->addColumn(tr("网址地址"), 200);
    m_controls.addressList->addColumn(tr("网址名称"), 350);
    m_controls.addressList->addColumn(tr("组别"), 150);
    m_controls.addressList->setSmallImages({ImportPictures::duplicateIcon()});
    m_controls.addressList->SetHeaderFont(designFont(11));
    connect(m_controls.addressList, &AddressListView::mouseMovedTo, this, &ImportWindow::onListMouseMoved);

    auto *layout = new QVBoxLayout(contentArea());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_controls.toolBand);
    layout->addWidget(m_controls.addressList, 1);
}

void ImportWindow::listFavoritesFolder()
{
    ListRowModel *rows = m_controls.addressList->rows();
    rows->clear();
    m_plan = ImportPlan{};
    m_listsBookmarks = false;

    const UrlImportService::Listing listing = listFavoritesWithProgress();
    if (listing.outcome.kind == Outcome::Kind::Refused || listing.outcome.kind == Outcome::Kind::Cancelled) {
        Dialogs::show(this, listing.outcome.message, tr("提示信息"), QMessageBox::Ok);
        return;
    }
    // The rows are handed to the list in one step, also when a file ends the listing:
    // what was read before it stays listed.
    std::vector<ListRow> listed;
    listed.reserve(listing.entries.size());
    for (const ShortcutEntry &entry : listing.entries)
        listed.push_back(ListRow{entry.address, {entry.displayName, Schema::ImportGroup}, -1, true});
    rows->append(std::move(listed));

    if (!listing.outcome.ok()) {
        Dialogs::errorReport(this, listing.outcome.message);
        return;
    }
    m_controls.favoritesButton->setEnabled(false);
}

UrlImportService::Listing ImportWindow::listFavoritesWithProgress()
{
    // A large folder takes a while to read (one file per shortcut): past the threshold a
    // progress dialog with a cancel button shows. No transaction is open while it runs.
    std::unique_ptr<QProgressDialog> progress;
    m_busy = true;
    UrlImportService::Listing listing = UrlImportService::listFavorites([&](qsizetype done) {
        if (done <= ProgressThreshold)
            return true;
        if (!progress) {
            progress = std::make_unique<QProgressDialog>(tr("正在读取收藏夹…"), tr("取消"), 0, 0, this);
            progress->setObjectName(QStringLiteral("ImportProgress"));
            progress->setWindowTitle(Dialogs::applicationTitle());
            progress->setWindowModality(Qt::WindowModal);
            progress->setMinimumDuration(0);
            progress->show();
        }
        if (done % 100 == 0)
            QCoreApplication::processEvents();
        return !progress->wasCanceled();
    });
    m_busy = false;
    return listing;
}

void ImportWindow::setChecks(bool (*newState)(bool checked))
{
    ListRowModel *rows = m_controls.addressList->rows();
    const int count = rows->count();
    for (int row = 0; row < count; ++row)
        rows->setChecked(row, newState(rows->isChecked(row)));
    if (count > 0)
        m_controls.addressList->selectRow(count - 1);
}

void ImportWindow::checkAll()
{
    setChecks([](bool) { return true; });
}

void ImportWindow::uncheckAll()
{
    setChecks([](bool) { return false; });
}

void ImportWindow::flipChecks()
{
    setChecks([](bool checked) { return !checked; });
}

void ImportWindow::importChecked()
{
    if (m_listsBookmarks) {
        importBookmarks();
        return;
    }
    ListRowModel *rows = m_controls.addressList->rows();
    std::vector<ShortcutEntry> chosen;
    std::vector<int> sourceRow; // the list row of each entry of chosen
    for (int row = 0; row < rows->count(); ++row) {
        if (!rows->isChecked(row))
            continue;
        const ListRow &shown = rows->rowAt(row);
        chosen.push_back(ShortcutEntry{shown.caption.toString(), shown.subItems.value(0)});
        sourceRow.push_back(row);
    }

    const Outcome outcome =
        HistoryCommands::importShortcuts(&m_sharedConnection.history(), m_sharedConnection.connection(), chosen);
    // The transaction has ended: from here on a message box may run its event loop.
    if (!outcome.ok()) {
        // After a failed row the selection rests on that row.
        if (outcome.kind != Outcome::Kind::Refused && outcome.count >= 0 && size_t(outcome.count) < sourceRow.size())
            m_controls.addressList->selectRow(sourceRow[size_t(outcome.count)]);
        Dialogs::errorReport(this, outcome.message);
        return;
    }
    if (rows->count() > 0)
        m_controls.addressList->selectRow(rows->count() - 1);
    Dialogs::message(this, tr("成功导入！"));
}

void ImportWindow::exitWindow()
{
    close();
}

void ImportWindow::onListMouseMoved(const QPoint &viewportPos)
{
    const int row = m_controls.addressList->rowAt(viewportPos);
    if (row < 0)
        return;
    const ListRow &shown = m_controls.addressList->rows()->rowAt(row);
    // A line feed separates the two lines (a carriage return would run them together).
    QString hint =
        tr("网址地址: ") + shown.caption.toString() + QLatin1Char('\n') + tr("网址名称: ") + shown.subItems.value(0);
    if (m_listsBookmarks) {
        const ImportRow &planned = m_plan.rows.at(size_t(shown.subItems.value(PlanIndexItem).toLongLong()));
        hint += QLatin1Char('\n') + tr("组别: ") + planned.group;
        if (planned.duplicate)
            hint += QLatin1Char('\n') + tr("重复：") + planned.duplicateHint;
    }
    m_controls.addressList->setHintText(hint);
}

void ImportWindow::closeEvent(QCloseEvent *event)
{
    if (m_busy) {
        // A reading is stopped and the window closes when it has; a store runs to its
        // end or to the cancel of its progress dialog.
        if (m_readingJob) {
            m_closeAsked = true;
            m_readingJob->cancel();
        }
        event->ignore();
        return;
    }
    CaptionWindow::closeEvent(event);
}

void ImportWindow::listBrowserProfile()
{
    const std::vector<BrowserProfile> profiles = BrowserProfiles::find(QDir::homePath());
    if (profiles.empty()) {
        Dialogs::show(this, tr("没有找到浏览器的书签。"), tr("提示信息"), QMessageBox::Ok);
        return;
    }
    size_t chosen = 0;
    if (profiles.size() > 1) {
        QStringList labels;
        for (const BrowserProfile &profile : profiles)
            labels << profile.label();
        const int index = Dialogs::choose(this, tr("请选择要导入书签的浏览器配置："), tr("从浏览器导入"), labels);
        if (index < 0)
            return;
        chosen = size_t(index);
    }
    const BrowserProfile &profile = profiles[chosen];
    listBookmarks(
        [profile](const ReadCancel &cancel) { return BookmarkFile::read(profile.file, cancel, profile.browser); });
}

void ImportWindow::chooseBookmarkFile()
{
    const QString file = QFileDialog::getOpenFileName(this, tr("从文件导入"), QDir::homePath(),
                                                      tr("书签文件 (*.html *.htm *.sqlite Bookmarks);;所有文件 (*)"));
    if (!file.isEmpty())
        listBookmarkFile(file);
}

void ImportWindow::listBookmarkFile(const QString &file)
{
    listBookmarks([file](const ReadCancel &cancel) { return BookmarkFile::read(file, cancel); });
}

void ImportWindow::listBookmarks(std::function<BookmarkSet(const ReadCancel &)> reader)
{
    BackgroundImport job(m_sharedConnection.connection().location());
    m_readingJob = &job; // a close while it reads cancels the reading
    const bool read = runInBackground(job, tr("正在读取书签…"), 0, [&] { job.startPlan(std::move(reader)); });
    m_readingJob = nullptr;
    if (std::exchange(m_closeAsked, false)) {
        close();
        return;
    }
    if (!read)
        return;

    ListRowModel *rows = m_controls.addressList->rows();
    rows->clear();
    m_plan = job.takePlan();
    m_listsBookmarks = true;
    std::vector<ListRow> listed;
    listed.reserve(m_plan.rows.size());
    for (size_t i = 0; i < m_plan.rows.size(); ++i) {
        const ImportRow &row = m_plan.rows[i];
        listed.push_back(
            ListRow{row.url, {row.title, row.group, QString::number(i)}, row.duplicate ? 0 : -1, row.checked});
    }
    rows->append(std::move(listed));
    m_controls.favoritesButton->setEnabled(true);
}

void ImportWindow::importBookmarks()
{
    ListRowModel *rows = m_controls.addressList->rows();
    for (int row = 0; row < rows->count(); ++row) {
        const size_t index = size_t(rows->rowAt(row).subItems.value(PlanIndexItem).toLongLong());
        if (index < m_plan.rows.size())
            m_plan.rows[index].checked = rows->isChecked(row);
    }
    BackgroundImport job(m_sharedConnection.connection().location());
    const bool stored =
        runInBackground(job, tr("正在导入书签…"), qsizetype(m_plan.rows.size()), [&] { job.startStore(m_plan); });
    m_sharedConnection.history().takeSteps(job.steps());
    if (!stored)
        return;
    const ImportReport &report = job.report();
    // What was stored is listed no more, so that a second click cannot store it twice.
    rows->clear();
    m_plan = ImportPlan{};
    m_listsBookmarks = false;
    Dialogs::reportWithDetails(this, reportText(report), Dialogs::applicationTitle(), report.details());
}

bool ImportWindow::runInBackground(BackgroundImport &job, const QString &label, qsizetype total,
                                   const std::function<void()> &start)
{
    QEventLoop loop;
    std::unique_ptr<QProgressDialog> progress;
    const auto showProgress = [&](qint64 size) {
        progress = std::make_unique<QProgressDialog>(label, tr("取消"), 0, int(size), this);
        progress->setObjectName(QStringLiteral("ImportProgress"));
        progress->setWindowTitle(Dialogs::applicationTitle());
        progress->setWindowModality(Qt::WindowModal);
        progress->setMinimumDuration(0);
        progress->show();
        connect(progress.get(), &QProgressDialog::canceled, &job, &BackgroundImport::cancel);
    };
    if (total > ProgressThreshold)
        showProgress(total);
    connect(&job, &BackgroundImport::finished, &loop, &QEventLoop::quit);
    connect(&job, &BackgroundImport::progressed, &loop, [&](qint64 done, qint64 size) {
        if (size <= ProgressThreshold)
            return;
        if (!progress)
            showProgress(size);
        if (!progress->wasCanceled())
            progress->setValue(int(done));
    });
    // While the worker runs, the window takes no command: a second click would start a
    // second import. Nor does it close under this loop: a close while a source is read
    // cancels the reading, and the window closes once the loop has ended (closeEvent).
    setCursor(Qt::BusyCursor);
    contentArea()->setEnabled(false);
    setCaptionButtonsEnabled(m_readingJob != nullptr);
    m_busy = true;
    start();
    loop.exec(); // the worker holds the transaction on its own connection
    m_busy = false;
    setCaptionButtonsEnabled(true);
    contentArea()->setEnabled(true);
    unsetCursor();
    if (progress)
        progress->hide();
    if (m_closeAsked)
        return false; // the window closes: no box about what it no longer shows
    if (job.outcome().kind == Outcome::Kind::Cancelled) {
        Dialogs::show(this, tr("已取消，没有导入任何网址。"), tr("提示信息"), QMessageBox::Ok);
        return false;
    }
    if (!job.outcome().ok()) {
        Dialogs::errorReport(this, job.outcome().message);
        return false;
    }
    return true;
}
