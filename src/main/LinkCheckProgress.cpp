#include "main/LinkCheckProgress.h"

#include "data/SharedConnection.h"
#include "services/LibraryReads.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QPointer>
#include <QProgressDialog>
#include <QThread>

namespace {

// Lives in the worker thread: its connection and its check are made, used and
// destroyed there.
class LinkCheckWorker : public QObject
{
    Q_OBJECT

public:
    explicit LinkCheckWorker(const LinkCheckSettings &settings) : m_settings(settings) {}

    void run(const QString &group) { Q_EMIT ended(checkGroup(group)); }

    // Called through the event loop of the worker thread.
    void cancel()
    {
        m_cancelled = true;
        if (m_check)
            m_check->cancel();
    }

Q_SIGNALS:
    // (done, total) and the outcome; unnamed, since moc writes the definitions of signals.
    void progress(int, int);
    void ended(const LinkCheckProgress::CheckRun &);

private:
    LinkCheckProgress::CheckRun checkGroup(const QString &group)
    {
        LinkCheckProgress::CheckRun outcome;
        DbConnection db(QStringLiteral("link-check"));
        const Outcome configured = LibraryReads::configure(db);
        if (!configured.ok()) {
            outcome.error = configured.message;
            return outcome;
        }
        LinkHealthCheck check(db, m_settings);
        m_check = &check;
        QEventLoop loop;
        connect(&check, &LinkHealthCheck::progress, this, &LinkCheckWorker::progress);
        connect(&check, &LinkHealthCheck::finished, &loop, &QEventLoop::quit);
        const Outcome started = check.start(group);
        if (started.ok())
            loop.exec();
        m_check = nullptr;
        if (!started.ok()) {
            outcome.error = started.message;
            return outcome;
        }
        outcome.ran = check.storeError().isEmpty();
        outcome.error = check.storeError();
        outcome.cancelled = m_cancelled;
        outcome.summary = check.summary();
        for (const LinkFixes::Fix &fix : check.fixes())
            ++(fix.kind == LinkFixes::Fix::Kind::NewAddress ? outcome.newAddresses : outcome.pageTitles);
        return outcome;
    }

    LinkCheckSettings m_settings;
    QPointer<LinkHealthCheck> m_check;
    bool m_cancelled = false;
};

} // namespace

LinkCheckProgress::CheckRun LinkCheckProgress::run(QWidget *parent, const QString &group)
{
    const Fetched<LinkCheckSettings> settings = LibraryReads::linkCheckSettings();
    if (!settings.ok()) {
        CheckRun failed;
        failed.error = settings.outcome.message;
        return failed;
    }
    QThread thread;
    auto *worker = new LinkCheckWorker(settings.value);
    worker->moveToThread(&thread);
    QObject::connect(&thread, &QThread::finished, worker, &QObject::deleteLater);

    QProgressDialog dialog(QCoreApplication::translate("LinkCheckProgress", "正在检查链接…"),
                           QCoreApplication::translate("LinkCheckProgress", "取消"), 0, 0, parent);
    dialog.setWindowTitle(QCoreApplication::translate("LinkCheckProgress", "检查链接"));
    dialog.setWindowModality(Qt::WindowModal);
    dialog.setMinimumDuration(0);
    dialog.setAutoClose(false);
    dialog.setAutoReset(false);
    QObject::connect(worker, &LinkCheckWorker::progress, &dialog, [&dialog](int done, int total) {
        dialog.setMaximum(total);
        dialog.setValue(done);
        dialog.setLabelText(QCoreApplication::translate("LinkCheckProgress", "已检查 %1/%2").arg(done).arg(total));
    });
    QObject::connect(&dialog, &QProgressDialog::canceled, worker, &LinkCheckWorker::cancel);

    CheckRun outcome;
    QEventLoop loop;
    QObject::connect(worker, &LinkCheckWorker::ended, &loop, [&](const CheckRun &ended) {
        outcome = ended;
        loop.quit();
    });
    thread.start();
    QMetaObject::invokeMethod(worker, [worker, group] { worker->run(group); });
    dialog.show();
    loop.exec();
    dialog.hide();
    thread.quit();
    thread.wait();
    return outcome;
}

QString LinkCheckProgress::report(const CheckRun &outcome)
{
    const LinkCheckSummary &counts = outcome.summary;
    const QString text =
        QCoreApplication::translate("LinkCheckProgress",
                                    "检查了 %n 个网址：正常 %1，已搬迁 %2，失效 %3，无法访问 %4，未检查 %5。", nullptr,
                                    counts.total())
            .arg(counts.ok)
            .arg(counts.moved)
            .arg(counts.broken)
            .arg(counts.unreachable)
            .arg(counts.notChecked);
    QString fixes;
    if (outcome.newAddresses > 0 || outcome.pageTitles > 0)
        fixes = QCoreApplication::translate("LinkCheckProgress",
                                            "\n列表的右键菜单可将 %1 个网址改为新网址，为 %2 个网址使用网页标题。")
                    .arg(outcome.newAddresses)
                    .arg(outcome.pageTitles);
    return outcome.cancelled
        ? QCoreApplication::translate("LinkCheckProgress", "检查已取消，已检查的结果已保存。") + text + fixes
        : text + fixes;
}

#include "LinkCheckProgress.moc"
