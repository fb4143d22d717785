#include "common/ReaderPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

// Which folder the reader keeps its three files in: beside the executable for a portable
// copy, in the user's data folder otherwise.
class TestReaderPaths : public QObject
{
    Q_OBJECT

private slots:
    void shouldChooseFolderByWhetherItCanBeWritten_data()
    {
        QTest::addColumn<bool>("writable");
        QTest::addColumn<QString>("expected");
        QTest::newRow("portable copy") << true << QStringLiteral("/home/jana/reader/");
        QTest::newRow("installed copy") << false << QStringLiteral("/home/jana/.local/share/ZeltonReader/");
    }
    void shouldChooseFolderByWhetherItCanBeWritten()
    {
        QFETCH(bool, writable);
        QFETCH(QString, expected);
        QStringList asked;
        const ReaderPaths paths = ReaderPaths::choose(
            QStringLiteral("/home/jana/reader"), QStringLiteral("/home/jana/.local/share/ZeltonReader"),
            [&](const QString &folder) {
                asked << folder;
                return writable;
            });
        QCOMPARE(asked, QStringList{QStringLiteral("/home/jana/reader")});  // only the executable's folder is tried
        QCOMPARE(paths.folder(), expected);
        QCOMPARE(paths.settingsFile(), expected + QStringLiteral("Settings.ini"));
        QCOMPARE(paths.offlineCopy(), expected + QStringLiteral("Offline_ZeltonReader.xml"));
        QCOMPARE(paths.workFolder(), expected + QStringLiteral("tmp"));
    }

    void shouldTellWritableFolderAndLeaveNothingInIt()
    {
        QTemporaryDir folder;
        QVERIFY(ReaderPaths::folderIsWritable(folder.path()));
        QVERIFY(ReaderPaths::holdsPortableCopy(folder.path()));
        QCOMPARE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList{});
    }

    // Cases that cannot be written whoever runs the test, root included.
    void shouldTellFolderThatCannotBeWritten_data()
    {
        QTest::addColumn<QString>("relativeFolder");
        QTest::newRow("parent is a file") << QStringLiteral("plain-file/bin");
        QTest::newRow("missing") << QStringLiteral("missing/bin");
        QTest::newRow("a file, not a folder") << QStringLiteral("plain-file");
    }
    void shouldTellFolderThatCannotBeWritten()
    {
        QFETCH(QString, relativeFolder);
        QTemporaryDir root;
        QFile file(root.filePath(QStringLiteral("plain-file")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        const QString folder = root.filePath(relativeFolder);
        QVERIFY(!ReaderPaths::folderIsWritable(folder));
        const QString data = root.filePath(QStringLiteral("data"));
        QCOMPARE(ReaderPaths::choose(folder, data).folder(), data + u'/');
    }

    void shouldTellReadOnlyFolderForOrdinaryUser()
    {
        if (geteuidIsRoot())
            QSKIP("root writes into a read-only folder; the cases above cover the decision for root");
        QTemporaryDir root;
        QVERIFY(QFile::setPermissions(root.path(), QFile::ReadOwner | QFile::ExeOwner));
        QVERIFY(!ReaderPaths::folderIsWritable(root.path()));
        QVERIFY(QFile::setPermissions(root.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    }

    void shouldNeverKeepFilesInSystemFolders_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<bool>("system");
        QTest::newRow("/usr/bin") << QStringLiteral("/usr/bin") << true;
        QTest::newRow("/usr/local/bin/") << QStringLiteral("/usr/local/bin/") << true;
        QTest::newRow("/opt") << QStringLiteral("/opt/zelton/bin") << true;
        QTest::newRow("/bin") << QStringLiteral("/bin") << true;
        QTest::newRow("dot-dot into /usr") << QStringLiteral("/home/../usr/bin") << true;
        QTest::newRow("/usrx") << QStringLiteral("/usrx/bin") << false;
        QTest::newRow("unpacked package") << QStringLiteral("/tmp/root/usr/bin") << false;
        QTest::newRow("home") << QStringLiteral("/home/jana/reader") << false;
    }
    void shouldNeverKeepFilesInSystemFolders()
    {
        QFETCH(QString, folder);
        QFETCH(bool, system);
#ifdef Q_OS_UNIX
        QCOMPARE(ReaderPaths::isSystemFolder(folder), system);
        if (system)
            QVERIFY(!ReaderPaths::holdsPortableCopy(folder));
#else
        QSKIP("system folders are told apart by writability alone here");
#endif
    }

    void shouldKeepFilesBesideWritableExecutable()
    {
        // The test program's own build folder can be written: it is a portable copy.
        QCoreApplication::setApplicationName(QStringLiteral("ZeltonReader"));
        QCOMPARE(ReaderPaths::forThisProgram().folder(), QCoreApplication::applicationDirPath() + u'/');
    }

    void shouldPlaceUserFolderUnderApplicationName()
    {
        QTemporaryDir home;
        qputenv("XDG_DATA_HOME", home.path().toUtf8());
        QCoreApplication::setApplicationName(QStringLiteral("ZeltonReader"));
        QCOMPARE(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation),
                 home.filePath(QStringLiteral("ZeltonReader")));
        qunsetenv("XDG_DATA_HOME");
    }

private:
    static bool geteuidIsRoot()
    {
#ifdef Q_OS_UNIX
        return ::geteuid() == 0;
#else
        return false;
#endif
    }
};

QTEST_GUILESS_MAIN(TestReaderPaths)
#include "TestReaderPaths.moc"
