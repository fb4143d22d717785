#include "support/FileInode.h"
#include "view/PictureCache.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QUrl pictureUrl(const QString &name)
{
    return QUrl(QStringLiteral("https://127.0.0.1:8443/reader/") + name);
}

// Bytes of one entry on disk: the content type "image/png", its line break, the picture.
qint64 entryBytes(qint64 pictureBytes)
{
    return QByteArrayLiteral("image/png\n").size() + pictureBytes;
}

qint64 folderBytes(const QString &folder)
{
    qint64 total = 0;
    for (const QFileInfo &entry : QDir(folder).entryInfoList(QDir::Files))
        total += entry.size();
    return total;
}

} // namespace

class TestPictureCache : public QObject
{
    Q_OBJECT

private slots:
    void shouldGiveBackWhatWasStored();
    void shouldStayWithinBoundsDroppingOldestFirst_data();
    void shouldStayWithinBoundsDroppingOldestFirst();
    void shouldWriteOnlyPicturesThatChanged();
};

void TestPictureCache::shouldGiveBackWhatWasStored()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString folder = dir.filePath(QStringLiteral("pictures"));
    const QByteArray bytes("\x89PNG\r\n\x1a\n\0\nbinary", 18);

    QVERIFY(PictureCache(folder).store(pictureUrl(QStringLiteral("a b.png")), {"image/png", bytes}));

    // Another cache on the same folder, as after a restart of the reader.
    const PictureCache cache(folder);
    const auto kept = cache.find(pictureUrl(QStringLiteral("a b.png")));
    QVERIFY(kept.has_value());
    QCOMPARE(kept->contentType, QByteArray("image/png"));
    QCOMPARE(kept->bytes, bytes);
    QVERIFY(!cache.find(pictureUrl(QStringLiteral("a%20b.png?x"))).has_value());
    QVERIFY(!cache.find(QUrl(QStringLiteral("http://127.0.0.1:8443/reader/a b.png"))).has_value());
}

void TestPictureCache::shouldStayWithinBoundsDroppingOldestFirst_data()
{
    QTest::addColumn<qint64>("maxBytes");
    QTest::addColumn<int>("maxEntries");
    // Stored in this order: "name:size"; a name seen again is a fresh answer of the server.
    QTest::addColumn<QStringList>("stores");
    QTest::addColumn<QStringList>("kept");

    const qint64 roomy = 1024 * 1024;
    QTest::newRow("entries bound") << roomy << 3 << QStringList{"a:10", "b:10", "c:10", "d:10", "e:10"}
                                   << QStringList{"c", "d", "e"};
    QTest::newRow("bytes bound") << entryBytes(100) * 3 << 100
                                 << QStringList{"a:100", "b:100", "c:100", "d:100"}
                                 << QStringList{"b", "c", "d"};
    QTest::newRow("bytes bound, one large newcomer")
        << entryBytes(100) * 3 << 100 << QStringList{"a:100", "b:100", "c:100", "d:250"}
        << QStringList{"d"};
    QTest::newRow("a fresh answer makes an entry newest")
        << roomy << 3 << QStringList{"a:10", "b:10", "c:10", "a:12", "d:10"}
        << QStringList{"a", "c", "d"};
    QTest::newRow("the same answer again makes an entry newest")
        << roomy << 3 << QStringList{"a:10", "b:10", "c:10", "a:10", "d:10"}
        << QStringList{"a", "c", "d"};
    QTest::newRow("a picture larger than the cache is not kept, nor its older copy")
        << entryBytes(100) << 10 << QStringList{"a:50", "b:80", "b:101"} << QStringList{};
    QTest::newRow("many within one clock tick")
        << roomy << 5 << QStringList{"a:1", "b:1", "c:1", "d:1", "e:1", "f:1", "g:1", "h:1"}
        << QStringList{"d", "e", "f", "g", "h"};
}

void TestPictureCache::shouldStayWithinBoundsDroppingOldestFirst()
{
    QFETCH(qint64, maxBytes);
    QFETCH(int, maxEntries);
    QFETCH(QStringList, stores);
    QFETCH(QStringList, kept);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString folder = dir.filePath(QStringLiteral("pictures"));
    PictureCache cache(folder, {maxBytes, maxEntries});
    QSet<QString> names;
    for (const QString &store : stores) {
        const QStringList parts = store.split(u':');
        names.insert(parts[0]);
        QVERIFY(cache.store(pictureUrl(parts[0]), {"image/png", QByteArray(parts[1].toInt(), 'x')}));
        QVERIFY(folderBytes(folder) <= maxBytes);
        QVERIFY(QDir(folder).entryList(QDir::Files).size() <= maxEntries);
    }

    QStringList found;
    for (const QString &name : names) {
        if (cache.find(pictureUrl(name)))
            found << name;
    }
    found.sort();
    QCOMPARE(found, kept);
    QCOMPARE(QDir(folder).entryList(QDir::Files).size(), kept.size());
    // The last answer of a name is the one kept.
    if (kept.contains(QStringLiteral("a")) && stores.contains(QStringLiteral("a:12")))
        QCOMPARE(cache.find(pictureUrl(QStringLiteral("a")))->bytes.size(), 12);
}

// Every page brings its pictures again: the same bytes leave the kept file alone (no new copy
// renamed over it), other bytes replace it.
void TestPictureCache::shouldWriteOnlyPicturesThatChanged()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    PictureCache cache(dir.filePath(QStringLiteral("pictures")));
    const QUrl url = pictureUrl(QStringLiteral("a.png"));
    QVERIFY(cache.store(url, {"image/png", "first"}));
    const QString file = QDir(cache.folder()).entryInfoList(QDir::Files).constFirst().filePath();
    const ino_t first = inodeOf(file);
    QVERIFY(first != 0);

    QVERIFY(cache.store(url, {"image/png", "first"}));
    QCOMPARE(inodeOf(file), first);
    QVERIFY(cache.store(url, {"image/gif", "first"}));
    QVERIFY(inodeOf(file) != first);
    QCOMPARE(cache.find(url)->contentType, QByteArray("image/gif"));
    const ino_t second = inodeOf(file);
    QVERIFY(cache.store(url, {"image/gif", "second"}));
    QVERIFY(inodeOf(file) != second);
    QCOMPARE(cache.find(url)->bytes, QByteArray("second"));
}

QTEST_GUILESS_MAIN(TestPictureCache)
#include "TestPictureCache.moc"
