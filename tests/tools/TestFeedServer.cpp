#include "FeedServer.h"

#include <QDir>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

const QByteArray DemoFeed = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><zelton/>";
const QByteArray Picture = "\x89PNG\r\n\x1a\n picture";
const QByteArray Secret = "outside the data folder";
const QByteArray XmlType = "application/xml; charset=utf-8";
const QByteArray FeedQuery = "&user=DELPHI%20-%20Vymazano&aplikace=DELPHI&verze=1.50";
const QByteArray ItemsFeed = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<zelton_reader>\n"
                             "  <zelton_information>\n    <ZELTON_SKUPINA_POPIS>Sport</ZELTON_SKUPINA_POPIS>\n"
                             "    <ZELTON_TEXT><![CDATA[<b>Turnaj</b>]]></ZELTON_TEXT>\n  </zelton_information>\n"
                             "  <zelton_information>\n    <ZELTON_SKUPINA_POPIS>Kultura</ZELTON_SKUPINA_POPIS>\n"
                             "    <ZELTON_TEXT>Koncert</ZELTON_TEXT>\n  </zelton_information>\n</zelton_reader>\n";

// The texts of the feed's news items, in their order; empty when the feed is not well-formed.
QStringList itemTexts(const QByteArray &feed)
{
    QStringList texts;
    QXmlStreamReader reader(feed);
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement() && reader.name() == u"ZELTON_TEXT")
            texts << reader.readElementText();
    }
    return reader.hasError() ? QStringList{u"not well-formed"_s} : texts;
}

bool writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

} // namespace

class TestFeedServer : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void shouldAnswerFromDataFolder_data();
    void shouldAnswerFromDataFolder();
    void shouldServeFeedsOverHttp();
    void shouldAddItemsBeforeTheFirst_data();
    void shouldAddItemsBeforeTheFirst();
    void shouldGrowTheFeedWithEveryLaterAnswer();

private:
    // <tmp>/root is the data folder; files beside it must never be served.
    QTemporaryDir m_dir;
    QString m_root;
};

void TestFeedServer::initTestCase()
{
    QVERIFY(m_dir.isValid());
    const QDir top(m_dir.path());
    m_root = top.filePath(u"root"_s);
    QVERIFY(top.mkpath(u"root/feeds/a"_s));
    QVERIFY(top.mkpath(u"root/obrazky"_s));
    QVERIFY(writeFile(m_root + u"/feeds/demo.xml"_s, DemoFeed));
    QVERIFY(writeFile(m_root + u"/feeds/items.xml"_s, ItemsFeed));
    QVERIFY(writeFile(m_root + u"/feeds/a/b.xml"_s, DemoFeed));
    QVERIFY(writeFile(m_root + u"/feeds/Žluť.xml"_s, DemoFeed));
    QVERIFY(writeFile(m_root + u"/obrazky/logo.png"_s, Picture));
    QVERIFY(writeFile(m_root + u"/photo.JPG"_s, Picture));
    // Reachable by "../" from the feeds folder, but still no feed.
    QVERIFY(writeFile(m_root + u"/inside.xml"_s, DemoFeed));
    QVERIFY(writeFile(top.filePath(u"secret.txt"_s), Secret));
    QVERIFY(writeFile(top.filePath(u"secret.xml"_s), Secret));
    QVERIFY(QFile::link(top.filePath(u"secret.txt"_s), m_root + u"/obrazky/link.png"_s));
}

void TestFeedServer::shouldAnswerFromDataFolder_data()
{
    QTest::addColumn<QByteArray>("target");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("contentType");  // checked for answers of 200
    QTest::addColumn<QByteArray>("body");

    const QByteArray none;
    const QByteArray xmlPhp = "/reader/xml.php?";
    QTest::newRow("known ID") << xmlPhp + "id=demo" + FeedQuery << 200 << XmlType << DemoFeed;
    QTest::newRow("ID percent-encoded") << xmlPhp + "id=d%65mo" + FeedQuery << 200 << XmlType << DemoFeed;
    QTest::newRow("non-ASCII ID") << xmlPhp + "id=%C5%BDlu%C5%A5" + FeedQuery << 200 << XmlType << DemoFeed;
    QTest::newRow("ID not first") << xmlPhp + "verze=1.50&id=demo" << 200 << XmlType << DemoFeed;
    QTest::newRow("unknown ID") << xmlPhp + "id=nobody" + FeedQuery << 404 << none << none;
    QTest::newRow("parent folder") << xmlPhp + "id=../inside" + FeedQuery << 404 << none << none;
    QTest::newRow("parent folder encoded") << xmlPhp + "id=%2e%2e%2finside" + FeedQuery << 404 << none << none;
    QTest::newRow("out of the data folder") << xmlPhp + "id=../../secret" << 404 << none << none;
    QTest::newRow("subfolder") << xmlPhp + "id=a/b" + FeedQuery << 404 << none << none;
    QTest::newRow("subfolder encoded") << xmlPhp + "id=a%2Fb" + FeedQuery << 404 << none << none;
    QTest::newRow("backslash") << xmlPhp + "id=a%5Cb" + FeedQuery << 404 << none << none;
    QTest::newRow("empty ID") << xmlPhp + "id=" + FeedQuery << 404 << none << none;
    QTest::newRow("no ID") << xmlPhp + "user=x" << 404 << none << none;
    QTest::newRow("picture") << QByteArray("/reader/obrazky/logo.png") << 200 << QByteArray("image/png")
                             << Picture;
    QTest::newRow("picture, upper-case suffix") << QByteArray("/reader/photo.JPG") << 200
                                                << QByteArray("image/jpeg") << Picture;
    QTest::newRow("picture with query") << QByteArray("/reader/obrazky/logo.png?v=2") << 200
                                        << QByteArray("image/png") << Picture;
    QTest::newRow("missing picture") << QByteArray("/reader/obrazky/none.png") << 404 << none << none;
    QTest::newRow("outside via ..") << QByteArray("/reader/../secret.txt") << 404 << none << none;
    QTest::newRow("outside via encoded ..")
        << QByteArray("/reader/%2e%2e/secret.txt") << 404 << none << none;
    QTest::newRow("outside via a link") << QByteArray("/reader/obrazky/link.png") << 404 << none << none;
    QTest::newRow("absolute path") << "/reader/" + QFile::encodeName(m_dir.path()) + "/secret.txt" << 404
                                   << none << none;
    QTest::newRow("feeds folder listing") << QByteArray("/reader/feeds/") << 404 << none << none;
    QTest::newRow("data folder itself") << QByteArray("/reader/") << 404 << none << none;
    QTest::newRow("other base path") << "/other/xml.php?id=demo" + FeedQuery << 404 << none << none;
}

void TestFeedServer::shouldAnswerFromDataFolder()
{
    QFETCH(QByteArray, target);
    QFETCH(int, status);
    QFETCH(QByteArray, contentType);
    QFETCH(QByteArray, body);

    const FeedServerReply reply = answerFeedRequest(m_root, "/reader/", target);
    QCOMPARE(reply.status, status);
    if (status == 200) {
        QCOMPARE(reply.contentType, contentType);
        QCOMPARE(reply.body, body);
    } else {
        QVERIFY(!reply.body.contains(Secret));
        QVERIFY(!reply.body.contains(DemoFeed));
    }
}

void TestFeedServer::shouldServeFeedsOverHttp()
{
    QProcess server;
    server.setProgram(QStringLiteral(ZR_FEED_SERVER_EXE));
    server.setArguments({u"--port"_s, u"0"_s, u"--root"_s, m_root});
    server.start();
    QVERIFY2(server.waitForStarted(), qPrintable(server.errorString()));

    QTRY_VERIFY_WITH_TIMEOUT(server.canReadLine(), 60'000);
    const QByteArray listening = server.readLine().trimmed();
    static const QRegularExpression pattern(u"^Listening on (http://127\\.0\\.0\\.1:(\\d+)/reader/)$"_s);
    const QRegularExpressionMatch match = pattern.match(QString::fromUtf8(listening));
    QVERIFY2(match.hasMatch(), listening.constData());
    QVERIFY(match.captured(2).toInt() > 0);

    QNetworkAccessManager manager;
    const QUrl url(match.captured(1) + u"xml.php?id=demo"_s + QString::fromLatin1(FeedQuery));
    std::unique_ptr<QNetworkReply> reply(manager.get(QNetworkRequest(url)));
    QTRY_VERIFY_WITH_TIMEOUT(reply->isFinished(), 60'000);
    QCOMPARE(reply->error(), QNetworkReply::NoError);
    QCOMPARE(reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), 200);
    QCOMPARE(reply->header(QNetworkRequest::ContentTypeHeader).toByteArray(), XmlType);
    QCOMPARE(reply->readAll(), DemoFeed);

    const QByteArray requestLine = "GET /reader/xml.php?id=demo" + FeedQuery + " HTTP/1.1";
    QTRY_VERIFY_WITH_TIMEOUT(server.canReadLine(), 60'000);
    QCOMPARE(server.readLine().trimmed(), requestLine);

    // SIGTERM ends it through its own event loop, with a normal exit.
    server.terminate();
    QVERIFY(server.waitForFinished(60'000));
    QCOMPARE(server.exitStatus(), QProcess::NormalExit);
    QCOMPARE(server.exitCode(), 0);
}

void TestFeedServer::shouldAddItemsBeforeTheFirst_data()
{
    QTest::addColumn<QByteArray>("feed");
    QTest::addColumn<QStringList>("added");
    QTest::addColumn<QStringList>("texts");
    QTest::newRow("none") << ItemsFeed << QStringList() << QStringList{u"<b>Turnaj</b>"_s, u"Koncert"_s};
    QTest::newRow("two") << ItemsFeed << QStringList{u"<b>Nová 2</b> & další"_s, u"Nová 1"_s}
                         << QStringList{u"<b>Nová 2</b> & další"_s, u"Nová 1"_s, u"<b>Turnaj</b>"_s, u"Koncert"_s};
    QTest::newRow("a feed without items") << DemoFeed << QStringList{u"Nová"_s} << QStringList();
}

void TestFeedServer::shouldAddItemsBeforeTheFirst()
{
    QFETCH(QByteArray, feed);
    QFETCH(QStringList, added);
    QFETCH(QStringList, texts);
    const QByteArray grown = feedWithAddedItems(feed, added);
    QCOMPARE(itemTexts(grown), texts);
    // The rest of the feed is as it was; the added items are copies of the first one.
    QVERIFY(grown.endsWith(feed.mid(feed.indexOf("<zelton_information>"))));
    QCOMPARE(grown.count("<ZELTON_SKUPINA_POPIS>Sport"), feed.count("<ZELTON_SKUPINA_POPIS>Sport") + (feed == ItemsFeed ? added.size() : 0));
}

void TestFeedServer::shouldGrowTheFeedWithEveryLaterAnswer()
{
    QProcess server;
    server.setProgram(QStringLiteral(ZR_FEED_SERVER_EXE));
    server.setArguments({u"--port"_s, u"0"_s, u"--root"_s, m_root, u"--grow"_s});
    server.start();
    QVERIFY2(server.waitForStarted(), qPrintable(server.errorString()));
    QTRY_VERIFY_WITH_TIMEOUT(server.canReadLine(), 60'000);
    const QByteArray listening = server.readLine().trimmed();
    const QString base = QString::fromUtf8(listening.mid(listening.indexOf("http://")));

    QNetworkAccessManager manager;
    QList<QStringList> answers;
    for (int request = 0; request < 3; ++request) {
        std::unique_ptr<QNetworkReply> reply(manager.get(QNetworkRequest(QUrl(base + u"xml.php?id=items"_s))));
        QTRY_VERIFY_WITH_TIMEOUT(reply->isFinished(), 60'000);
        QCOMPARE(reply->error(), QNetworkReply::NoError);
        answers << itemTexts(reply->readAll());
    }
    QCOMPARE(answers.at(0), itemTexts(ItemsFeed));
    QCOMPARE(answers.at(1).size(), 3);
    QVERIFY(answers.at(1).at(0).contains(u"Nová zpráva č. 1"_s));
    QCOMPARE(answers.at(1).mid(1), answers.at(0));
    // The item added before comes again unchanged, below the next one.
    QCOMPARE(answers.at(2).size(), 4);
    QVERIFY(answers.at(2).at(0).contains(u"Nová zpráva č. 2"_s));
    QCOMPARE(answers.at(2).mid(1), answers.at(1));

    server.terminate();
    QVERIFY(server.waitForFinished(60'000));
}

QTEST_GUILESS_MAIN(TestFeedServer)
#include "TestFeedServer.moc"
