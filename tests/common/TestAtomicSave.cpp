#include "common/AtomicSave.h"
#include "support/FileBytes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <optional>

namespace {

// How an entry of the table is made.
enum class Entry { File, Folder, Link };

void makeEntry(const QString &path, Entry kind)
{
    switch (kind) {
    case Entry::File: {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write("[ZELTON_INFO_READER]\nID=half"), 28);
        break;
    }
    case Entry::Folder:
        QVERIFY(QDir().mkpath(path));
        break;
    case Entry::Link:
        QVERIFY(QFile::link(QStringLiteral("Settings.ini"), path));
        break;
    }
}

QStringList entriesOf(const QString &folder)
{
    QStringList names = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    names.sort();
    return names;
}

} // namespace

Q_DECLARE_METATYPE(Entry)

// Saves that replace a file in one step, and the start-up tidying of what interrupted saves
// left: only names the reader makes go, never a file a user named.
class TestAtomicSave : public QObject
{
    Q_OBJECT

private:
    std::optional<QTemporaryDir> m_dir;
    QString settingsPath() const { return m_dir->filePath(QStringLiteral("Settings.ini")); }

    void writeSettings(const QByteArray &bytes)
    {
        QFile file(settingsPath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(bytes), bytes.size());
    }

private slots:
    void init()
    {
        m_dir.emplace();
        QVERIFY(m_dir->isValid());
    }

    void cleanup() { m_dir.reset(); }

    void shouldRemoveOnlyCopiesOfSavesBesideTheFile_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<Entry>("kind");
        QTest::addColumn<bool>("removed");

        const auto removed = [](const char *name) { QTest::newRow(name) << QString::fromUtf8(name) << Entry::File << true; };
        removed(".Settings.ini.zr-save-AbC123");
        removed(".Settings.ini.zr-save-abcdef");
        removed(".Settings.ini.zr-save-ZZZZZZ");
        removed(".Settings.ini.zr-save-000000");

        const auto kept = [](const char *name, Entry kind = Entry::File) {
            QTest::newRow(name) << QString::fromUtf8(name) << kind << false;
        };
        // Copies a user made by hand.
        kept("Settings.ini.backup");
        kept("Settings.ini.zaloha");
        kept("Settings.ini.old");
        kept("Settings.ini.123456");
        kept("Settings.ini.202612");
        kept("Settings.ini.AbC123");  // also how copies of earlier versions were named: maybe the user's
        kept("Settings.ini.bak");
        kept(".Settings.ini");
        kept(".Settings.ini.swp");
        // Close to the reader's names, but not one of them.
        kept("Settings.ini.zr-save-AbC123");
        kept(".Settings.ini.zr-save-AbC12");
        kept(".Settings.ini.zr-save-AbC1234");
        kept(".Settings.ini.zr-save-Ab-123");
        kept(".Settings.ini.zr-save-AbC12\xc3\xa1");
        kept(".Settings.ini.zr-save-AbC123.bak");
        kept(".Settings.ini.zr-save-");
        kept(".Settings.ini.zr-save_AbC123");
        kept(".settings.ini.zr-save-AbC123");
        kept(".SettingsXini.zr-save-AbC123");
        kept("..Settings.ini.zr-save-AbC123");
        kept(".Other.ini.zr-save-AbC123");
        kept(".Offline_ZeltonReader.xml.zr-save-AbC123");
        // A folder or a link of the copies' name is somebody else's.
        kept(".Settings.ini.zr-save-F0lder", Entry::Folder);
        kept(".Settings.ini.zr-save-L1nked", Entry::Link);
    }

    void shouldRemoveOnlyCopiesOfSavesBesideTheFile()
    {
        QFETCH(QString, name);
        QFETCH(Entry, kind);
        QFETCH(bool, removed);

        const QByteArray settings = "[ZELTON_INFO_READER]\nID=demo\n";
        writeSettings(settings);
        const QString path = m_dir->filePath(name);
        makeEntry(path, kind);
        QVERIFY(QFileInfo(path).exists() || QFileInfo(path).isSymLink());

        QCOMPARE(removeStaleSaveCopies(settingsPath()), removed ? 1 : 0);

        QStringList expected{QStringLiteral("Settings.ini")};
        if (!removed)
            expected.append(name);
        expected.sort();
        QCOMPARE(entriesOf(m_dir->path()), expected);
        QCOMPARE(fileBytes(settingsPath()), settings);
        // The name alone says a copy; a folder or a link of that name still stays.
        QCOMPARE(isSaveCopyName(name, QStringLiteral("Settings.ini")), removed || kind != Entry::File);
    }

    // The picture cache and the temporary feed files lie in folders only the reader writes in:
    // the copies of every file's saves go there, whatever the file.
    void shouldRemoveOnlyCopiesOfSavesInAFolderOfOurOwn_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("removed");

        const QString picture = QStringLiteral("9f86d081884c7d659a2feaa0c55ad015a3bf4f1b2b0b822cd15d6c15b0f00a08.picture");
        const QString feed = QStringLiteral("000000042_2026_12_10_10_00_00_000.xml");
        QTest::newRow("copy of a picture") << u'.' + picture + QStringLiteral(".zr-save-AbC123") << true;
        QTest::newRow("copy of a feed") << u'.' + feed + QStringLiteral(".zr-save-x9Y8z7") << true;
        QTest::newRow("copy of a file of another name") << QStringLiteral(".a.zr-save-AbC123") << true;
        QTest::newRow("picture") << picture << false;
        QTest::newRow("feed left by a failed cycle") << feed << false;
        QTest::newRow("earlier versions' copy of a picture") << picture + QStringLiteral(".AbC123") << false;
        QTest::newRow("earlier versions' copy of a feed") << feed + QStringLiteral(".x9Y8z7") << false;
        QTest::newRow("user's file") << QStringLiteral("Settings.ini.QwErTy") << false;
        QTest::newRow("without the dot") << picture + QStringLiteral(".zr-save-AbC123") << false;
        QTest::newRow("marker alone") << QStringLiteral(".zr-save-AbC123") << false;
        QTest::newRow("seven letters") << u'.' + feed + QStringLiteral(".zr-save-AbC1234") << false;
    }

    void shouldRemoveOnlyCopiesOfSavesInAFolderOfOurOwn()
    {
        QFETCH(QString, name);
        QFETCH(bool, removed);

        const QString folder = m_dir->filePath(QStringLiteral("pictures"));
        QVERIFY(QDir().mkpath(folder));
        makeEntry(QDir(folder).filePath(name), Entry::File);
        makeEntry(QDir(folder).filePath(QStringLiteral(".kept.zr-save-Folder")), Entry::Folder);

        QCOMPARE(removeStaleSaveCopiesIn(folder), removed ? 1 : 0);

        QStringList expected{QStringLiteral(".kept.zr-save-Folder")};
        if (!removed)
            expected.append(name);
        expected.sort();
        QCOMPARE(entriesOf(folder), expected);
    }

    // While the new content is written, the old file is there whole and the content goes to
    // a copy of the reader's own name, which start-up would recognise; commit puts it in place.
    void shouldWriteToACopyOfItsOwnNameAndReplaceTheFileWhole()
    {
        writeSettings("old\n");
        AtomicSaveFile file(settingsPath());
        QVERIFY(file.open());
        QVERIFY(file.write("new"));
        QVERIFY(file.write(QByteArray(100000, 'x')));

        const QStringList during = entriesOf(m_dir->path());
        QCOMPARE(during.size(), 2);
        QCOMPARE(during.at(1), QStringLiteral("Settings.ini"));
        const QString copy = during.at(0);
        QVERIFY2(isSaveCopyName(copy, QStringLiteral("Settings.ini")), qPrintable(copy));
        QCOMPARE(QFileInfo(file.copyPath()).fileName(), copy);
        QCOMPARE(fileBytes(settingsPath()), QByteArray("old\n"));

        QVERIFY(file.commit());
        QCOMPARE(entriesOf(m_dir->path()), QStringList{QStringLiteral("Settings.ini")});
        QCOMPARE(fileBytes(settingsPath()), "new" + QByteArray(100000, 'x'));
        QVERIFY(file.copyPath().isEmpty());
    }

    void shouldLeaveTheFileAsItWasWithoutCommit_data()
    {
        QTest::addColumn<bool>("cancel");
        QTest::newRow("cancelled") << true;
        QTest::newRow("given up") << false;
    }

    void shouldLeaveTheFileAsItWasWithoutCommit()
    {
        QFETCH(bool, cancel);
        writeSettings("old\n");
        {
            AtomicSaveFile file(settingsPath());
            QVERIFY(file.open());
            QVERIFY(file.write("new"));
            if (cancel) {
                file.cancel();
                QVERIFY(!file.commit());
            }
        }
        QCOMPARE(entriesOf(m_dir->path()), QStringList{QStringLiteral("Settings.ini")});
        QCOMPARE(fileBytes(settingsPath()), QByteArray("old\n"));
    }

    // A file keeps the permissions the user gave it (here ones no umask gives a new file); a
    // new file gets what any new file gets.
    void shouldKeepTheFilesPermissions()
    {
        writeSettings("old\n");
        const auto shared = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser
                            | QFileDevice::WriteUser | QFileDevice::ReadOther;
        QVERIFY(QFile::setPermissions(settingsPath(), shared));
        QVERIFY(saveFileAtomically(settingsPath(), "new\n"));
        QCOMPARE(fileBytes(settingsPath()), QByteArray("new\n"));
        QCOMPARE(QFile::permissions(settingsPath()), shared);

        const QString plain = m_dir->filePath(QStringLiteral("plain"));
        QFile plainFile(plain);
        QVERIFY(plainFile.open(QIODevice::WriteOnly | QIODevice::NewOnly));
        plainFile.close();
        const QString fresh = m_dir->filePath(QStringLiteral("fresh.ini"));
        QVERIFY(saveFileAtomically(fresh, "new\n"));
        QCOMPARE(QFile::permissions(fresh), QFile::permissions(plain));
    }

#ifdef Q_OS_UNIX
    // Settings.ini may be a link into the user's own folder: the file there is replaced and
    // the link stays a link.
    void shouldReplaceTheFileALinkLeadsTo()
    {
        const QString real = m_dir->filePath(QStringLiteral("mine/Settings.ini"));
        QVERIFY(QDir().mkpath(m_dir->filePath(QStringLiteral("mine"))));
        QVERIFY(saveFileAtomically(real, "old\n"));
        QVERIFY(QFile::link(real, settingsPath()));

        QVERIFY(saveFileAtomically(settingsPath(), "new\n"));

        QVERIFY(QFileInfo(settingsPath()).isSymLink());
        QCOMPARE(fileBytes(real), QByteArray("new\n"));
        QCOMPARE(entriesOf(m_dir->filePath(QStringLiteral("mine"))), QStringList{QStringLiteral("Settings.ini")});
    }
#endif

    // A copy that cannot be read whole replaces nothing.
    void shouldCopyWholeOrNotAtAll()
    {
        writeSettings("old\n");
        QVERIFY(!copyFileAtomically(m_dir->filePath(QStringLiteral("missing")), settingsPath()));
        QCOMPARE(fileBytes(settingsPath()), QByteArray("old\n"));

        const QString source = m_dir->filePath(QStringLiteral("source"));
        QVERIFY(saveFileAtomically(source, QByteArray(200000, 'f')));
        QVERIFY(copyFileAtomically(source, settingsPath()));
        QCOMPARE(fileBytes(settingsPath()), QByteArray(200000, 'f'));
        QCOMPARE(entriesOf(m_dir->path()), (QStringList{QStringLiteral("Settings.ini"), QStringLiteral("source")}));
    }
};

QTEST_GUILESS_MAIN(TestAtomicSave)
#include "TestAtomicSave.moc"
