#include "app/SingleInstance.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QWidget>
#include <QtTest>

#include <cstdio>

#ifdef Q_OS_UNIX
#include <csignal>
#endif

// One reader per files folder, tried with real processes: this program, started with
// "--hold FOLDER", plays the running reader: it takes the folder, shows a window, says
// "ready" and then "raised" each time a later start brings the window to the front.
namespace {

int holdFolder(const QString &folder)
{
    SingleInstance instance(folder);
    if (instance.start() != SingleInstance::Start::First) {
        std::printf("not first\n");
        return 3;
    }
    QWidget window;
    window.show();
    QObject::connect(&instance, &SingleInstance::raised, &window, [&window] {
        std::printf("raised visible=%d\n", int(window.isVisible()));
        std::fflush(stdout);
    });
    instance.setWindow(&window);
    std::printf("ready\n");
    std::fflush(stdout);
    return QApplication::exec();
}

} // namespace

class TestSingleInstance : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_root;

    QString folder(const QString &name)
    {
        const QString path = m_root.filePath(name);
        QDir().mkpath(path);
        return path;
    }

    // Starts a holder of `filesFolder` and waits until it runs the reader's part.
    static bool startHolder(QProcess &holder, const QString &filesFolder)
    {
        holder.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--hold"), filesFolder});
        if (!holder.waitForStarted())
            return false;
        while (!holder.canReadLine())
            if (!holder.waitForReadyRead(20000))
                return false;
        return holder.readLine() == "ready\n";
    }

    static void stopHolder(QProcess &holder)
    {
        holder.kill();
        holder.waitForFinished();
    }

private slots:
    void shouldNameServerPerFolder()
    {
        const QString files = folder(QStringLiteral("files"));
        const QString name = SingleInstance::serverName(files);
        QVERIFY(name.startsWith(QStringLiteral("ZeltonReader-")));
        // The same folder however it is written.
        QCOMPARE(SingleInstance::serverName(files + u'/'), name);
        QCOMPARE(SingleInstance::serverName(files + QStringLiteral("/../files")), name);
#ifdef Q_OS_UNIX
        QVERIFY(QFile::link(files, m_root.filePath(QStringLiteral("link"))));
        QCOMPARE(SingleInstance::serverName(m_root.filePath(QStringLiteral("link"))), name);
#endif
        QVERIFY(SingleInstance::serverName(folder(QStringLiteral("other"))) != name);
    }

    void shouldHandLaterStartToRunningReader()
    {
        const QString files = folder(QStringLiteral("shared"));
        QProcess holder;
        QVERIFY(startHolder(holder, files));

        SingleInstance later(files);
        QCOMPARE(later.start(), SingleInstance::Start::AlreadyRuns);
        QCOMPARE(later.answer(), QByteArray("raised"));
        QTRY_VERIFY(holder.canReadLine());
        QCOMPARE(holder.readLine(), QByteArray("raised visible=1\n"));
        QCOMPARE(later.reportLaterStart(SingleInstance::Start::AlreadyRuns), 0);

        // A second later start is answered as well: the running reader keeps listening.
        SingleInstance again(files);
        QCOMPARE(again.start(), SingleInstance::Start::AlreadyRuns);
        QTRY_VERIFY(holder.canReadLine());
        QCOMPARE(holder.readLine(), QByteArray("raised visible=1\n"));
        stopHolder(holder);
    }

    void shouldRunBesideReaderOfOtherFolder()
    {
        QProcess holder;
        QVERIFY(startHolder(holder, folder(QStringLiteral("first"))));
        SingleInstance other(folder(QStringLiteral("second")));
        QCOMPARE(other.start(), SingleInstance::Start::First);
        QVERIFY(!holder.waitForReadyRead(200));  // nothing was asked of the first reader
        stopHolder(holder);
    }

    void shouldTakeOverLockOfKilledReader()
    {
        const QString files = folder(QStringLiteral("killed"));
        QProcess holder;
        QVERIFY(startHolder(holder, files));
        QVERIFY(QFile::exists(QDir(files).filePath(QStringLiteral("ZeltonReader.lock"))));
#ifdef Q_OS_UNIX
        ::kill(pid_t(holder.processId()), SIGKILL);  // no chance to remove the lock or the socket
#else
        holder.kill();
#endif
        QVERIFY(holder.waitForFinished());
        QVERIFY(QFile::exists(QDir(files).filePath(QStringLiteral("ZeltonReader.lock"))));

        SingleInstance next(files);
        QCOMPARE(next.start(), SingleInstance::Start::First);
        QWidget window;
        next.setWindow(&window);
        QSignalSpy raised(&next, &SingleInstance::raised);
        // And it answers later starts on the socket name the killed reader left behind.
        QProcess later;
        later.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--hold"), files});
        QVERIFY(later.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(later.state() == QProcess::NotRunning, 20000);
        QCOMPARE(later.readAll(), QByteArray("not first\n"));
        QCOMPARE(later.exitCode(), 3);
        QCOMPARE(raised.count(), 1);
        QVERIFY(window.isVisible());
    }

    void shouldRunWhereNoLockCanBeMade()
    {
        // A files folder whose parent is a plain file cannot hold a lock, even for root.
        QFile file(m_root.filePath(QStringLiteral("plain-file")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        SingleInstance instance(m_root.filePath(QStringLiteral("plain-file/files")));
        QCOMPARE(instance.start(), SingleInstance::Start::First);
    }
};

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc == 3 && QByteArray(argv[1]) == "--hold")
        return holdFolder(QString::fromLocal8Bit(argv[2]));
    TestSingleInstance test;
    return QTest::qExec(&test, argc, argv);
}

#include "TestSingleInstance.moc"
