// The pages, the group list and the window's looks that a cycle builds from a feed, pinned
// byte for byte: the demo feed against stored pages, a generated big feed against stored
// SHA-256 digests. Any change to the parsing, the walks or the page building that changes a
// single byte of what the user sees fails here.
//
// To record them again (only when a page is meant to change), run the test with
// ZR_WRITE_PAGE_FIXTURES=<folder>; it writes the files there and skips the comparison.
#include "common/ReaderError.h"
#include "common/Texts.h"
#include "document/FeedDocument.h"
#include "feed/FeedWalk.h"
#include "support/BigFeed.h"
#include "support/FileBytes.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QtTest>

namespace {

struct Combination
{
    const char *name;
    int style;
    int groupIndex;
    QString group;
    bool offline;
    QString fontSize;
};

// Every style, one outside the list, "Vše" and single groups (one the feed does not have),
// the offline copy or not, a font size or none.
const QList<Combination> &combinations()
{
    static const QList<Combination> list{
        {"s0-all-online-12", 0, 0, Texts::AllGroups, false, QStringLiteral("12")},
        {"s1-kultura-offline-none", 1, 2, QStringLiteral("Kultura"), true, QString()},
        {"s2-all-offline-16", 2, 0, Texts::AllGroups, true, QStringLiteral("16")},
        {"s3-sport-online-20", 3, 4, QStringLiteral("Sport"), false, QStringLiteral("20")},
        {"s7-all-online-none", 7, 0, Texts::AllGroups, false, QString()},
        {"s-1-prodeti-offline-14", -1, 3, QStringLiteral("Pro děti"), true, QStringLiteral("14")},
        {"s0-missing-online-12", 0, 1, QStringLiteral("Turistika"), false, QStringLiteral("12")},
    };
    return list;
}

ReaderChoices choicesOf(const Combination &combination)
{
    ReaderChoices choices;
    choices.organizationId = QStringLiteral("1234");
    choices.version = Texts::Version;
    choices.fontSizeText = combination.fontSize;
    choices.fontSizeIndex = combination.fontSize.isEmpty() ? -1 : 2;
    choices.style = combination.style;
    choices.groupIndex = combination.groupIndex;
    choices.groupText = combination.group;
    choices.restoredGroup = combination.group;
    return choices;
}

// Everything a cycle shows, as bytes: the three pages, the group list, the looks in order.
struct Shown
{
    QByteArray main;
    QByteArray info;
    QByteArray contacts;
    QByteArray groups;
    QByteArray looks;
};

Shown walkFeed(const QByteArray &feed, const Combination &combination)
{
    QString looks;
    FeedWalk walk(choicesOf(combination), QStringLiteral("http://127.0.0.1:8080/reader/"),
                  [&looks](const WindowLook &look) {
                      looks += look.caption ? *look.caption : QStringLiteral("-");
                      looks += u' ';
                      looks += look.toolbarColor ? QString::number(*look.toolbarColor) : QStringLiteral("-");
                      looks += u'\n';
                  });
    FeedDocument document;
    document.openBytes(feed);
    walk.walk(document);
    const Pages pages = walk.pages(combination.offline);
    const GroupFilterState groups = walk.groupList();
    return Shown{pages.main.toUtf8(), pages.info.toUtf8(), pages.contacts.toUtf8(),
                 (groups.entries.join(u'\n') + QStringLiteral("\nselected ")
                  + QString::number(groups.selected) + u'\n').toUtf8(),
                 looks.toUtf8()};
}

QList<std::pair<const char *, QByteArray>> partsOf(const Shown &shown)
{
    return {{"main.html", shown.main}, {"info.html", shown.info}, {"contacts.html", shown.contacts},
            {"groups.txt", shown.groups}, {"looks.txt", shown.looks}};
}

QString fixturePath(const QString &name)
{
    return QStringLiteral(ZR_PAGE_FIXTURES "/") + name;
}

QByteArray digest(const QByteArray &bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

// "<feed>/<combination>/<part> <sha256>" lines of the recorded big-feed digests.
QHash<QString, QByteArray> recordedDigests()
{
    QHash<QString, QByteArray> digests;
    for (const QByteArray &line : fileBytes(fixturePath(QStringLiteral("big-feed.sha256"))).split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() == 2)
            digests.insert(QString::fromUtf8(fields[0]), fields[1]);
    }
    return digests;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

constexpr int BigFeedItems = 3000;

} // namespace

class TestPageIdentity : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_writeTo = qEnvironmentVariable("ZR_WRITE_PAGE_FIXTURES");
        m_demo = fileBytes(QStringLiteral(ZR_DEMO_FEED));
        QVERIFY(!m_demo.isEmpty());
    }

    void demoFeed_data()
    {
        QTest::addColumn<int>("combination");
        for (int i = 0; i < combinations().size(); ++i)
            QTest::newRow(combinations()[i].name) << i;
    }

    void demoFeed()
    {
        QFETCH(int, combination);
        const Combination &chosen = combinations()[combination];
        const Shown shown = walkFeed(m_demo, chosen);
        for (const auto &[part, bytes] : partsOf(shown)) {
            const QString name = QStringLiteral("demo/") + QLatin1String(chosen.name) + u'/' + QLatin1String(part);
            if (!m_writeTo.isEmpty()) {
                QVERIFY(writeFile(m_writeTo + u'/' + name, bytes));
                continue;
            }
            const QByteArray recorded = fileBytes(fixturePath(name));
            QVERIFY2(!recorded.isEmpty(), qPrintable(name));
            QVERIFY2(bytes == recorded, qPrintable(name));
        }
        if (!m_writeTo.isEmpty())
            QSKIP("fixtures written, nothing compared");
    }

    // The clean big feed under every combination; the variant with unreadable children in
    // group "Porucha" (in a default namespace) under the combinations that choose one group.
    void bigFeed_data()
    {
        QTest::addColumn<bool>("faulty");
        QTest::addColumn<int>("combination");
        for (int i = 0; i < combinations().size(); ++i) {
            QTest::addRow("clean/%s", combinations()[i].name) << false << i;
            if (combinations()[i].groupIndex != 0)
                QTest::addRow("faulty/%s", combinations()[i].name) << true << i;
        }
    }

    void bigFeed()
    {
        QFETCH(bool, faulty);
        QFETCH(int, combination);
        const Combination &chosen = combinations()[combination];
        const Shown shown = walkFeed(BigFeed::bytes(BigFeedItems, faulty), chosen);
        QVERIFY(shown.main.size() > 1000 || chosen.groupIndex != 0);

        const QString prefix = QLatin1String(faulty ? "faulty/" : "clean/") + QLatin1String(chosen.name) + u'/';
        if (!m_writeTo.isEmpty()) {
            QByteArray lines;
            for (const auto &[part, bytes] : partsOf(shown))
                lines += (prefix + QLatin1String(part)).toUtf8() + ' ' + digest(bytes) + '\n';
            QFile file(m_writeTo + QStringLiteral("/big-feed.sha256"));
            QVERIFY(file.open(QIODevice::Append));
            file.write(lines);
            QSKIP("digests written, nothing compared");
        }
        const QHash<QString, QByteArray> recorded = recordedDigests();
        for (const auto &[part, bytes] : partsOf(shown)) {
            const QString name = prefix + QLatin1String(part);
            QVERIFY2(recorded.contains(name), qPrintable(name));
            QCOMPARE(digest(bytes), recorded.value(name));
        }
    }

    // Under "Vše" the unreadable children of group "Porucha" are read, and the walk stops
    // at the first such item with the message every faulty element gets.
    void bigFeedFaultUnderAllGroups()
    {
        const Combination &all = combinations()[0];
        QString message;
        try {
            walkFeed(BigFeed::bytes(BigFeedItems, true), all);
        } catch (const ReaderError &error) {
            message = error.message();
        }
        QCOMPARE(message, Texts::BadTag);
    }

private:
    QString m_writeTo;
    QByteArray m_demo;
};

QTEST_GUILESS_MAIN(TestPageIdentity)
#include "TestPageIdentity.moc"
