#include "settings/SeenNews.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

// The file of the news items the user has been shown, read back as a later start reads it.
class TestSeenNews : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString path() const { return m_dir.filePath(QStringLiteral("SeenNews.txt")); }

private slots:
    void init() { QFile::remove(path()); }

    void firstFeedIsSeenWhole()
    {
        SeenNews seen(path());
        seen.takeFeed(QStringLiteral("demo"), {1, 2, 3});
        QVERIFY(seen.isSeen(1) && seen.isSeen(2) && seen.isSeen(3));
        QVERIFY(seen.save());

        SeenNews later(path());
        later.takeFeed(QStringLiteral("demo"), {4, 1, 2, 3});
        QVERIFY(!later.isSeen(4));
        QVERIFY(later.isSeen(1) && later.isSeen(3));
    }

    void anotherOrganizationIsSeenWhole()
    {
        SeenNews seen(path());
        seen.takeFeed(QStringLiteral("demo"), {1, 2});
        seen.takeFeed(QStringLiteral("demo"), {1, 2, 3});
        seen.markTold(3);
        QVERIFY(seen.save());

        SeenNews later(path());
        later.takeFeed(QStringLiteral("jina organizace\n"), {3, 7});
        QVERIFY(later.isSeen(3) && later.isSeen(7));
        QVERIFY(!later.isTold(3));
        QVERIFY(later.save());
        // An ID with a line break or blanks comes back as it was.
        SeenNews again(path());
        again.takeFeed(QStringLiteral("jina organizace\n"), {3, 7, 8});
        QVERIFY(again.isSeen(7) && !again.isSeen(8));
    }

    void toldAndSeenOutliveTheProgram()
    {
        SeenNews seen(path());
        seen.takeFeed(QStringLiteral("demo"), {1});
        seen.takeFeed(QStringLiteral("demo"), {1, 0xFFFFFFFFFFFFFFFFULL, 5});
        seen.markTold(0xFFFFFFFFFFFFFFFFULL);
        seen.markTold(5);
        seen.markSeen(5);
        QVERIFY(seen.save());

        SeenNews later(path());
        later.takeFeed(QStringLiteral("demo"), {1, 0xFFFFFFFFFFFFFFFFULL, 5});
        QVERIFY(later.isTold(0xFFFFFFFFFFFFFFFFULL));
        QVERIFY(!later.isSeen(0xFFFFFFFFFFFFFFFFULL));
        QVERIFY(later.isSeen(5));
        QVERIFY(!later.isTold(5));  // seen is more than told
    }

    void itemsGoneFromTheFeedAreForgotten()
    {
        SeenNews seen(path());
        seen.takeFeed(QStringLiteral("demo"), {1, 2, 3});
        seen.takeFeed(QStringLiteral("demo"), {3});
        QVERIFY(seen.save());
        QFile file(path());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("ZeltonReader seen news 1\nid demo\nseen 3\n"));
        // An item that comes back after it was gone counts as new.
        seen.takeFeed(QStringLiteral("demo"), {3, 1});
        QVERIFY(!seen.isSeen(1));
    }

    void foreignOrDamagedFileCountsAsNone_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("settings") << QByteArray("[ZELTON_INFO_READER]\nID=demo\n");
        QTest::newRow("cut short") << QByteArray("ZeltonReader seen news 1\n");
        QTest::newRow("another version") << QByteArray("ZeltonReader seen news 2\nid demo\nseen 1\n");
    }

    void foreignOrDamagedFileCountsAsNone()
    {
        QFETCH(QByteArray, bytes);
        QFile file(path());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();
        SeenNews seen(path());
        seen.takeFeed(QStringLiteral("demo"), {1, 2});
        QVERIFY(seen.isSeen(1) && seen.isSeen(2));
    }

    void unwritableFolderFailsTheSave()
    {
        SeenNews seen(m_dir.filePath(QStringLiteral("missing/SeenNews.txt")));
        seen.takeFeed(QStringLiteral("demo"), {1});
        QVERIFY(!seen.save());
    }
};

QTEST_GUILESS_MAIN(TestSeenNews)
#include "TestSeenNews.moc"
