// The watcher against real file-system changes: each kind of change reaches the delegate with the
// path, in the documented order, and the posting rules for notifications hold.
#include "support/testutil.h"
#include "watch/pavoqueue.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace corvane;

namespace
{

struct Recorder : PavoQueueDelegate {
    QStringList events; // "name path"
    void receivedNotification(PavoQueue *, const QString &name, const QString &path) override
    {
        events << name + " " + path;
    }
};

// Lets the event loop deliver pending events until pred holds or a second passes.
template <typename Pred> void waitFor(Pred pred)
{
    QElapsedTimer t;
    t.start();
    while (!pred() && t.elapsed() < 1000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

void appendTo(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::Append));
    f.write(bytes);
}

} // namespace

TEST(PavoQueue, NotificationNamesFollowDeliveryOrder)
{
    EXPECT_EQ(pavoNotificationNames(PavoWrite | PavoRename),
              QStringList({kPavoRenamed, kPavoWritten}));
    EXPECT_EQ(pavoNotificationNames(PavoAll).size(), 7);
    EXPECT_EQ(pavoNotificationNames(PavoAll).first(), QString(kPavoRenamed));
    EXPECT_EQ(pavoNotificationNames(PavoAll).last(), QString(kPavoRevoked));
    EXPECT_TRUE(pavoNotificationNames(0).isEmpty());
}

TEST(PavoQueue, ReportsWriteRenameAndDeleteWithThePath)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("a.f90");
    test::writeFile(path, "program a\nend\n");
    auto queue = PavoQueue::create();
    ASSERT_TRUE(queue);
    Recorder rec;
    queue->setDelegate(&rec);
    QSignalSpy posted(queue.get(), &PavoQueue::notificationPosted);

    ASSERT_TRUE(queue->addPath(path));
    appendTo(path, "! more\n");
    waitFor([&] { return rec.events.contains(QString(kPavoWritten) + " " + path); });
    EXPECT_TRUE(rec.events.contains(QString(kPavoWritten) + " " + path))
        << rec.events.join("\n").toStdString();
    EXPECT_TRUE(rec.events.contains(QString(kPavoSizeIncreased) + " " + path));
    EXPECT_EQ(posted.count(), 0) << "a delegate without alwaysPostNotifications posts nothing";

    rec.events.clear();
    ASSERT_TRUE(QFile::rename(path, dir.filePath("b.f90")));
    waitFor([&] { return !rec.events.isEmpty(); });
    EXPECT_EQ(rec.events.value(0), QString(kPavoRenamed) + " " + path);

    // The window re-watches after each event; a deleted file reports deletion.
    queue->removePath(path);
    const QString c = dir.filePath("c.f90");
    test::writeFile(c, "x");
    ASSERT_TRUE(queue->addPath(c));
    rec.events.clear();
    ASSERT_TRUE(QFile::remove(c));
    waitFor([&] { return rec.events.contains(QString(kPavoDeleted) + " " + c); });
    EXPECT_TRUE(rec.events.contains(QString(kPavoDeleted) + " " + c))
        << rec.events.join("\n").toStdString();

    // Once the kernel dropped the watch, the same path can be watched again.
    test::writeFile(c, "again");
    EXPECT_TRUE(queue->addPath(c));
    EXPECT_EQ(queue->watchedPaths(), QStringList{c});
}

TEST(PavoQueue, PostingRulesAndExistingEntries)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("m.f90");
    test::writeFile(path, "module m\nend module\n");
    auto queue = PavoQueue::create();
    ASSERT_TRUE(queue);
    QSignalSpy posted(queue.get(), &PavoQueue::notificationPosted);

    // Only deletion asked for; adding again with other bits changes nothing.
    ASSERT_TRUE(queue->addPath(path, PavoDelete));
    ASSERT_TRUE(queue->addPath(path, PavoWrite));
    appendTo(path, "! edit\n");
    QCoreApplication::processEvents(QEventLoop::AllEvents, 200);
    waitFor([] { return false; });
    EXPECT_EQ(posted.count(), 0);

    // No delegate: every event is posted with its path.
    queue->removePath(path);
    ASSERT_TRUE(queue->addPath(path));
    appendTo(path, "! edit\n");
    waitFor([&] { return posted.count() > 0; });
    ASSERT_GT(posted.count(), 0);
    EXPECT_EQ(posted.first().value(1).toString(), path);

    // With a delegate and alwaysPostNotifications both are told.
    Recorder rec;
    queue->setDelegate(&rec);
    queue->alwaysPostNotifications = true;
    posted.clear();
    appendTo(path, "! again\n");
    waitFor([&] { return posted.count() > 0 && !rec.events.isEmpty(); });
    EXPECT_EQ(posted.count(), rec.events.size());
}

TEST(PavoQueue, MissingPathIsNotWatched)
{
    auto queue = PavoQueue::create();
    ASSERT_TRUE(queue);
    EXPECT_FALSE(queue->addPath("/nonexistent/corvane/file.f90"));
    EXPECT_TRUE(queue->watchedPaths().isEmpty());
}
