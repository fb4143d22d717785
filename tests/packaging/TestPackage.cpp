#include "app/ToolbarGlyphs.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

#include <csignal>
#include <cstdlib>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

// The Debian package as a member of the organization gets it: built by cpack, unpacked with
// dpkg-deb, its files checked by the desktop's own validators, and the unpacked reader run
// as an ordinary user against a feed server on 127.0.0.1.
//
// The packaged reader asks the feed server it was built for (FEED_BASE_URL), so the test's
// server listens on that address. As root the test first moves into a network namespace of
// its own, where that port is free whatever else runs on the machine.
namespace {

const QString AppId = QStringLiteral(ZR_DESKTOP_ID);
const QString FilesSection = QStringLiteral("[ZELTON_INFO_READER]\nID=demo\n");

QByteArray run(const QString &program, const QStringList &arguments, int *exitCode = nullptr, int timeoutMs = 60000)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
    }
    if (exitCode)
        *exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return process.readAll();
}

bool isRoot()
{
    return ::geteuid() == 0;
}

} // namespace

class TestPackage : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_work;
    QString m_deb;
    QString m_root;       // the unpacked package
    QStringList m_files;  // its files, relative to m_root, sorted
    QProcess m_server;
    uid_t m_uid = ::geteuid();
    gid_t m_gid = ::getegid();

    QString readerPath() const { return m_root + QStringLiteral("/usr/bin/ZeltonReader"); }

    // A folder the reader's user owns.
    QString userFolder(const QString &name)
    {
        const QString path = m_work.filePath(name);
        if (!QDir().mkpath(path) || ::chown(QFile::encodeName(path).constData(), m_uid, m_gid) != 0)
            return {};
        return path;
    }
    bool writeUserFile(const QString &path, const QByteArray &content)
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
            return false;
        file.close();
        return ::chown(QFile::encodeName(path).constData(), m_uid, m_gid) == 0;
    }

    // The reader started as the ordinary user, with a home of its own and the web engine's
    // sandbox left on.
    void startReader(QProcess &reader, const QString &program, const QString &home)
    {
        QProcessEnvironment env;
        env.insert(QStringLiteral("PATH"), QStringLiteral("/usr/bin:/bin"));
        env.insert(QStringLiteral("HOME"), home);
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home + QStringLiteral("/run"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("QTWEBENGINE_CHROMIUM_FLAGS"), QStringLiteral("--disable-gpu"));
        reader.setProcessEnvironment(env);
        reader.setWorkingDirectory(home);
        if (isRoot())
            reader.start(QStringLiteral("setpriv"), {QStringLiteral("--reuid=%1").arg(m_uid), QStringLiteral("--regid=%1").arg(m_gid),
                                                      QStringLiteral("--clear-groups"), program});
        else
            reader.start(program, {});
    }

    QString userHome(const QString &name)
    {
        const QString home = userFolder(name);
        if (home.isEmpty() || userFolder(name + QStringLiteral("/run")).isEmpty())
            return {};
        ::chmod(QFile::encodeName(home + QStringLiteral("/run")).constData(), 0700);
        return home;
    }

    // The request lines the feed server logged so far.
    QStringList m_serverLog;
    void readServerLog()
    {
        while (m_server.canReadLine())
            m_serverLog << QString::fromUtf8(m_server.readLine()).trimmed();
    }
    int requestsMatching(const QString &pattern)
    {
        readServerLog();
        return int(m_serverLog.filter(QRegularExpression(pattern)).size());
    }

    // Every process under `pid`, as /proc shows them.
    static QList<qint64> descendants(qint64 pid)
    {
        QList<qint64> found;
        QList<qint64> parents{pid};
        while (!parents.isEmpty()) {
            QList<qint64> children;
            for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
                bool ok = false;
                const qint64 candidate = entry.toLongLong(&ok);
                QFile stat(QStringLiteral("/proc/%1/stat").arg(candidate));
                if (!ok || !stat.open(QIODevice::ReadOnly))
                    continue;
                // "pid (name) state ppid ...": the name may hold blanks, so split after it.
                const QList<QByteArray> fields = stat.readAll().split(')').value(1).split(' ');
                if (fields.size() > 2 && parents.contains(fields[2].toLongLong()))
                    children << candidate;
            }
            found << children;
            parents = children;
        }
        return found;
    }
    // The user namespace a process runs in ("user:[4026531837]").
    static QByteArray userNamespace(qint64 pid)
    {
        char target[64] = {};
        const QByteArray link = QStringLiteral("/proc/%1/ns/user").arg(pid).toLatin1();
        const ssize_t length = ::readlink(link.constData(), target, sizeof target - 1);
        return length > 0 ? QByteArray(target, int(length)) : QByteArray();
    }
    static QByteArray procFile(qint64 pid, const char *name)
    {
        QFile file(QStringLiteral("/proc/%1/%2").arg(pid).arg(QLatin1StringView(name)));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_work.isValid());
        // Every user must reach the unpacked program and the homes below.
        QVERIFY(QFile::setPermissions(m_work.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                                         | QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther));
        if (isRoot()) {
            const passwd *nobody = ::getpwnam("nobody");
            const group *nogroup = ::getgrnam("nogroup");
            QVERIFY2(nobody && nogroup, "the test runs the reader as nobody:nogroup");
            m_uid = nobody->pw_uid;
            m_gid = nogroup->gr_gid;
        }

        int status = 0;
        const QString packageFolder = m_work.filePath(QStringLiteral("package"));
        const QByteArray cpackLog = run(QStringLiteral("cpack"),
                                        {QStringLiteral("-G"), QStringLiteral("DEB"), QStringLiteral("-B"), packageFolder,
                                         QStringLiteral("--config"), QStringLiteral(ZR_BUILD_DIR "/CPackConfig.cmake")},
                                        &status, 240000);
        QVERIFY2(status == 0, cpackLog.constData());
        const QStringList debs = QDir(packageFolder).entryList({QStringLiteral("zeltonreader_*.deb")}, QDir::Files);
        QCOMPARE(debs.size(), 1);
        m_deb = QDir(packageFolder).filePath(debs.first());

        m_root = m_work.filePath(QStringLiteral("root"));
        const QByteArray unpackLog = run(QStringLiteral("dpkg-deb"), {QStringLiteral("-x"), m_deb, m_root}, &status);
        QVERIFY2(status == 0, unpackLog.constData());
        QDirIterator files(m_root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (files.hasNext())
            m_files << QDir(m_root).relativeFilePath(files.next());
        m_files.sort();
        // The program's folder is read-only for the reader's user, as after an installation.
        QVERIFY(QFile::setPermissions(m_root + QStringLiteral("/usr/bin"), QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup
                                                                               | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther));
    }

    void cleanupTestCase()
    {
        if (m_server.state() != QProcess::NotRunning) {
            m_server.kill();
            m_server.waitForFinished();
        }
    }

    void shouldHoldOnlyTheReader()
    {
        QStringList expected{QStringLiteral("usr/bin/ZeltonReader"),
                             QStringLiteral("usr/share/applications/%1.desktop").arg(AppId),
                             QStringLiteral("usr/share/icons/hicolor/scalable/apps/%1.svg").arg(AppId),
                             QStringLiteral("usr/share/metainfo/%1.metainfo.xml").arg(AppId)};
        for (int size : {16, 32, 48, 64, 128, 256})
            expected << QStringLiteral("usr/share/icons/hicolor/%1x%1/apps/%2.png").arg(size).arg(AppId);
        expected << QStringLiteral("usr/share/doc/zeltonreader/copyright") << QStringLiteral("usr/share/doc/zeltonreader/changelog.gz")
                 << QStringLiteral("usr/share/man/man1/ZeltonReader.1.gz") << QStringLiteral("usr/share/man/cs/man1/ZeltonReader.1.gz");
        expected.sort();
        QCOMPARE(m_files, expected);  // no feed server, no demo data, no tests
    }

    void shouldDescribePackageWithComputedDependencies()
    {
        const QString fields = QString::fromUtf8(run(QStringLiteral("dpkg-deb"), {QStringLiteral("-f"), m_deb}));
        QVERIFY2(fields.contains(QStringLiteral("Package: zeltonreader\n")), qPrintable(fields));
        QVERIFY2(fields.contains(QStringLiteral("Version: " ZR_VERSION "\n")), qPrintable(fields));
        QVERIFY2(fields.contains(QStringLiteral("\nMaintainer: " ZR_PACKAGE_MAINTAINER "\n")), qPrintable(fields));
        // The synopsis and each line of the long description fit Debian's 80 columns.
        const QStringList lines = fields.split(u'\n');
        qsizetype line = lines.indexOf(QRegularExpression(QStringLiteral("^Description: .+")));
        QVERIFY2(line >= 0 && line + 1 < lines.size() && lines[line + 1].startsWith(u' '), qPrintable(fields));
        do
            QVERIFY2(lines[line].size() <= 80, qPrintable(lines[line]));
        while (++line < lines.size() && lines[line].startsWith(u' '));
        const QString depends = QRegularExpression(QStringLiteral("^Depends: (.*)$"), QRegularExpression::MultilineOption)
                                    .match(fields).captured(1);
        // What dpkg-shlibdeps finds in the program, with versions from the libraries' own data.
        for (const char *library : {"libc6 (>=", "libqt6core6 (>=", "libqt6webenginewidgets6 (>=", "libqt6widgets6 (>=", "libqt6network6 (>="})
            QVERIFY2(depends.contains(QLatin1StringView(library)), qPrintable(depends));
    }

    void shouldHoldIconInEverySize()
    {
        for (int size : {16, 32, 48, 64, 128, 256}) {
            const QImage image(m_root + QStringLiteral("/usr/share/icons/hicolor/%1x%1/apps/%2.png").arg(size).arg(AppId));
            QCOMPARE(image.size(), QSize(size, size));
            // The blue square with its transparent rounded corners.
            QCOMPARE(image.pixelColor(0, 0).alpha(), 0);
            QCOMPARE(image.pixelColor(size / 2, size / 8).rgb(), QColor(0, 64, 128).rgb());
            QCOMPARE(image.pixelColor(size / 2, size * 70 / 256).rgb(), QColor(Qt::white).rgb());  // the Z's top bar
            // Pixel for pixel the window icon.
            const QImage windowIcon = applicationIcon().pixmap(QSize(size, size)).toImage().convertToFormat(QImage::Format_ARGB32);
            QVERIFY(image.convertToFormat(QImage::Format_ARGB32) == windowIcon);
        }
        QFile svg(m_root + QStringLiteral("/usr/share/icons/hicolor/scalable/apps/%1.svg").arg(AppId));
        QVERIFY(svg.open(QIODevice::ReadOnly));
        const QByteArray picture = svg.readAll();
        QVERIFY(picture.contains("viewBox=\"0 0 256 256\""));
        QVERIFY(picture.contains("fill=\"#004080\""));
    }

    void shouldPassDesktopEntryValidation()
    {
        const QString entry = m_root + QStringLiteral("/usr/share/applications/%1.desktop").arg(AppId);
        int status = -1;
        const QByteArray log = run(QStringLiteral("desktop-file-validate"), {entry}, &status);
        QVERIFY2(status == 0 && log.isEmpty(), log.constData());
        QFile file(entry);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(file.readAll());
        QVERIFY(text.contains(QStringLiteral("\nExec=ZeltonReader\n")));
        QVERIFY(text.contains(QStringLiteral("\nIcon=%1\n").arg(AppId)));
        QVERIFY(text.contains(QStringLiteral("\nCategories=Network;News;\n")));
        QVERIFY(text.contains(QStringLiteral("\nComment=Zprávy, informace a kontakty organizace")));
    }

    void shouldPassAppStreamValidation()
    {
        const QString metainfo = m_root + QStringLiteral("/usr/share/metainfo/%1.metainfo.xml").arg(AppId);
        int status = -1;
        const QByteArray log = run(QStringLiteral("appstreamcli"), {QStringLiteral("validate"), QStringLiteral("--no-net"), metainfo}, &status);
        QVERIFY2(status == 0, log.constData());
        QFile file(metainfo);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray text = file.readAll();
        QVERIFY(text.contains("<launchable type=\"desktop-id\">" + AppId.toUtf8() + ".desktop</launchable>"));
        QVERIFY(text.contains("<release version=\"" ZR_VERSION "\""));
        QVERIFY(text.contains("<project_license>" ZR_LICENSE "</project_license>"));
    }

    // Debian's own package checker: any error or warning fails; the informational tags are
    // printed for the record.
    void shouldPassLintian()
    {
        const QString lintian = QStandardPaths::findExecutable(QStringLiteral("lintian"));
        if (lintian.isEmpty())
            QSKIP("lintian is not installed (scripts/install-deps.sh installs it)");
        QProcess process;
        process.start(lintian, {QStringLiteral("--info"), QStringLiteral("--display-level"), QStringLiteral(">=info"), m_deb});
        QVERIFY(process.waitForStarted());
        QVERIFY(process.waitForFinished(600000));
        const QString report = QString::fromUtf8(process.readAllStandardOutput());
        const QString diagnostics = QString::fromUtf8(process.readAllStandardError());
        qInfo().noquote() << "lintian:\n" + report + diagnostics;
        // "E: package: tag ..." and "W: package: tag ...", with their explanations under --info.
        const QStringList findings = report.split(u'\n').filter(QRegularExpression(QStringLiteral("^[EW]: ")));
        QVERIFY2(findings.isEmpty(), qPrintable(findings.join(u'\n')));
        QVERIFY2(process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0, qPrintable(report + diagnostics));
    }

    void shouldHoldLicenceAndChangelog()
    {
        QFile copyright(m_root + QStringLiteral("/usr/share/doc/zeltonreader/copyright"));
        QVERIFY(copyright.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(copyright.readAll());
        QVERIFY2(text.startsWith(QStringLiteral("Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n")),
                 qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("\nFiles: *\nCopyright: ")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("\nUpstream-Contact: " ZR_PACKAGE_MAINTAINER "\n")), qPrintable(text));
        // The licence's text follows its name, each line indented, an empty one as " .".
        QFile licenceFile(QStringLiteral(ZR_LICENSE_FILE));
        QVERIFY(licenceFile.open(QIODevice::ReadOnly));
        QStringList indented;
        for (const QString &line : QString::fromUtf8(licenceFile.readAll()).trimmed().split(u'\n'))
            indented << (line.trimmed().isEmpty() ? QStringLiteral(" .") : u' ' + line);
        QVERIFY2(text.contains(QStringLiteral("\nLicense: " ZR_LICENSE "\n") + indented.join(u'\n') + u'\n'), qPrintable(text));

        // The changelog, compressed, opens with this version's entry, signed by the maintainer.
        int status = -1;
        const QString changelog = QString::fromUtf8(
            run(QStringLiteral("gzip"), {QStringLiteral("-dc"), m_root + QStringLiteral("/usr/share/doc/zeltonreader/changelog.gz")}, &status));
        QCOMPARE(status, 0);
        QVERIFY2(changelog.startsWith(QStringLiteral("zeltonreader (" ZR_VERSION ") ")), qPrintable(changelog));
        const QRegularExpressionMatch trailer =
            QRegularExpression(QStringLiteral("^ -- (.+)  \\w{3}, \\d{1,2} \\w{3} \\d{4} \\d\\d:\\d\\d:\\d\\d [+-]\\d{4}$"),
                               QRegularExpression::MultilineOption).match(changelog);
        QVERIFY2(trailer.hasMatch(), qPrintable(changelog));
        QCOMPARE(trailer.captured(1), QStringLiteral(ZR_PACKAGE_MAINTAINER));
    }

    // The manual page is found by its name in the package's manual folder, in English and in
    // Czech, and lists exactly the options --help lists, under the same names and, in Czech,
    // with the same words.
    void shouldDescribeOptionsAsHelpDoes_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("heading");
        QTest::addColumn<bool>("sameWords");
        QTest::newRow("English") << QStringLiteral("en") << QStringLiteral("OPTIONS") << false;
        QTest::newRow("Czech") << QStringLiteral("cs") << QStringLiteral("VOLBY") << true;
    }
    void shouldDescribeOptionsAsHelpDoes()
    {
        QFETCH(QString, language);
        QFETCH(QString, heading);
        QFETCH(bool, sameWords);

        QProcess man;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("MANPATH"), m_root + QStringLiteral("/usr/share/man"));
        env.insert(QStringLiteral("MANWIDTH"), QStringLiteral("200"));
        env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
        man.setProcessEnvironment(env);
        man.start(QStringLiteral("man"), {QStringLiteral("-L"), language, QStringLiteral("-P"), QStringLiteral("cat"), QStringLiteral("ZeltonReader")});
        QVERIFY(man.waitForFinished(60000));
        const QString page = QString::fromUtf8(man.readAllStandardOutput());
        QVERIFY2(man.exitCode() == 0, qPrintable(page + QString::fromUtf8(man.readAllStandardError())));
        for (const char *section : {"ZeltonReader - ", "http_proxy", "https_proxy", "no_proxy", "Settings.ini", "Offline_ZeltonReader.xml",
                                    "tmp/", "pictures/", "~/.local/share/ZeltonReader/"})
            QVERIFY2(page.contains(QLatin1StringView(section)), section);

        // The page's option list: a line of names indented by seven, its text by fourteen.
        using Options = QList<QPair<QString, QString>>;
        Options fromPage;
        bool inOptions = false;
        for (const QString &line : page.split(u'\n')) {
            if (!line.isEmpty() && !line.startsWith(u' ')) {
                inOptions = line == heading;
                continue;
            }
            if (!inOptions || line.trimmed().isEmpty())
                continue;
            if (line.startsWith(QStringLiteral("       -")))
                fromPage.append({line.simplified(), {}});
            else if (!fromPage.isEmpty())
                fromPage.last().second = (fromPage.last().second + u' ' + line).simplified();
        }

        // --help's list: names and value after two blanks, its text after the widest of them.
        int status = -1;
        const QString help = QString::fromUtf8(run(readerPath(), {QStringLiteral("--help")}, &status));
        QCOMPARE(status, 0);
        Options fromHelp;
        for (const QString &line : help.split(u'\n')) {
            static const QRegularExpression entry(QStringLiteral("^  (-\\S.*?)(?:  +(.*))?$"));
            if (const QRegularExpressionMatch match = entry.match(line); match.hasMatch())
                fromHelp.append({match.captured(1).remove(u'<').remove(u'>').simplified(), match.captured(2).simplified()});
            else if (!fromHelp.isEmpty() && line.startsWith(QStringLiteral("    ")))
                fromHelp.last().second = (fromHelp.last().second + u' ' + line).simplified();
        }
        QVERIFY2(fromHelp.size() >= 4, qPrintable(help));

        const auto names = [](const Options &options) {
            QStringList found;
            for (const auto &option : options)
                found << option.first.split(u' ').filter(QRegularExpression(QStringLiteral("^-"))).join(u' ');
            return found;
        };
        QCOMPARE(names(fromPage), names(fromHelp));
        if (sameWords)
            QCOMPARE(fromPage, fromHelp);
        for (const auto &option : fromPage)
            QVERIFY2(!option.second.isEmpty(), qPrintable(option.first));
    }

    void shouldMakeUserDataFolderOnFirstStart()
    {
        // A new user: no data folder yet. The reader makes it and its tmp/ before it asks
        // for the organization ID, where this run stays.
        const QString home = userHome(QStringLiteral("new-user"));
        QVERIFY(!home.isEmpty());
        const QString data = home + QStringLiteral("/.local/share/ZeltonReader");
        QProcess reader;
        startReader(reader, readerPath(), home);
        QVERIFY(reader.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(data + QStringLiteral("/tmp")).isDir() || reader.state() == QProcess::NotRunning, 30000);
        QCOMPARE(reader.state(), QProcess::Running);
        QCOMPARE(QFileInfo(data).ownerId(), m_uid);
        QVERIFY(QFile::exists(data + QStringLiteral("/ZeltonReader.lock")));
        reader.kill();
        reader.waitForFinished();
    }

    void shouldRunAsOrdinaryUserWithOneInstancePerFiles()
    {
        const QUrl base(QStringLiteral(ZR_FEED_BASE_URL));
        if (base.host() != QStringLiteral("127.0.0.1"))
            QSKIP("the reader was built for a feed server elsewhere than on 127.0.0.1");
        m_server.start(QStringLiteral(ZR_FEED_SERVER), {QStringLiteral("--port"), QString::number(base.port(80)),
                                                        QStringLiteral("--root"), QStringLiteral(ZR_DEMO_ROOT),
                                                        QStringLiteral("--base"), base.path()});
        QVERIFY(m_server.waitForStarted());
        QVERIFY(m_server.waitForReadyRead(10000));
        const QByteArray listening = m_server.readLine();
        QVERIFY2(listening.startsWith("Listening on " + base.toString().toUtf8()), listening.constData());

        const QString home = userHome(QStringLiteral("home"));
        QVERIFY(!home.isEmpty());
        const QString data = home + QStringLiteral("/.local/share/ZeltonReader");
        QVERIFY(!userFolder(QStringLiteral("home/.local")).isEmpty() && !userFolder(QStringLiteral("home/.local/share")).isEmpty()
                && !userFolder(QStringLiteral("home/.local/share/ZeltonReader")).isEmpty());
        // The ID is known already, so the reader does not stop at its question.
        QVERIFY(writeUserFile(data + QStringLiteral("/Settings.ini"), FilesSection.toUtf8()));

        QProcess first;
        startReader(first, readerPath(), home);
        QVERIFY(first.waitForStarted());
        // The page shows: the sandboxed renderer fetched the cards' pictures.
        const QString pictureRequest = QStringLiteral("GET ") + QRegularExpression::escape(base.path() + QStringLiteral("obrazky/"));
        QTRY_VERIFY2_WITH_TIMEOUT(requestsMatching(pictureRequest) > 0 || first.state() == QProcess::NotRunning,
                                  qPrintable(m_serverLog.join(u'\n')), 60000);
        QVERIFY2(first.state() == QProcess::Running, first.readAllStandardError().constData());
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(data + QStringLiteral("/Offline_ZeltonReader.xml")), 20000);
        QVERIFY(QFileInfo(data + QStringLiteral("/tmp")).isDir());
        // The reader stores its choices there at the end of the cycle.
        const auto settingsHold = [&](const QByteArray &text) {
            QFile settings(data + QStringLiteral("/Settings.ini"));
            return settings.open(QIODevice::ReadOnly) && settings.readAll().contains(text);
        };
        QTRY_VERIFY_WITH_TIMEOUT(settingsHold("\nFontSize=4"), 20000);
        QCOMPARE(QFileInfo(data + QStringLiteral("/Offline_ZeltonReader.xml")).ownerId(), m_uid);
        QCOMPARE(QDir(m_root + QStringLiteral("/usr/bin")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{QStringLiteral("ZeltonReader")});  // nothing beside the executable

        // The web engine's sandbox is on: no helper process was told to go without it, and
        // the page runs in a process under a seccomp filter, in a user namespace of its own.
        const QList<qint64> helpers = descendants(first.processId());
        QVERIFY(!helpers.isEmpty());
        const QByteArray readerNamespace = userNamespace(first.processId());
        QVERIFY(!readerNamespace.isEmpty());
        int sandboxed = 0;
        for (qint64 helper : helpers) {
            QVERIFY2(!procFile(helper, "cmdline").contains("--no-sandbox"), procFile(helper, "cmdline").constData());
            if (procFile(helper, "status").contains("\nSeccomp:\t2\n")
                && userNamespace(helper) != readerNamespace)
                ++sandboxed;
        }
        QVERIFY2(sandboxed > 0, "no web engine process runs in the sandbox");

        // A second start on the same files hands over to the first and ends with status 0.
        QProcess second;
        startReader(second, readerPath(), home);
        QVERIFY(second.waitForFinished(60000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QVERIFY2(QString::fromUtf8(second.readAllStandardOutput()).contains(QStringLiteral("jeho okno je nyní vpředu.")),
                 "the running reader did not report its window raised");
        QCOMPARE(first.state(), QProcess::Running);

        // A portable copy in another folder keeps files of its own and runs beside the first.
        const QString portable = userFolder(QStringLiteral("portable"));
        QVERIFY(!portable.isEmpty());
        QVERIFY(QFile::copy(readerPath(), portable + QStringLiteral("/ZeltonReader")));
        QVERIFY(::chown(QFile::encodeName(portable + QStringLiteral("/ZeltonReader")).constData(), m_uid, m_gid) == 0);
        QVERIFY(writeUserFile(portable + QStringLiteral("/Settings.ini"), FilesSection.toUtf8()));
        QProcess copy;
        startReader(copy, portable + QStringLiteral("/ZeltonReader"), home);
        QVERIFY(copy.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(portable + QStringLiteral("/Offline_ZeltonReader.xml")) || copy.state() == QProcess::NotRunning, 60000);
        QCOMPARE(copy.state(), QProcess::Running);
        QCOMPARE(first.state(), QProcess::Running);
        copy.kill();
        copy.waitForFinished();

        // A killed reader leaves its lock and socket behind; the next start still runs.
        ::kill(pid_t(first.processId()), SIGKILL);
        QVERIFY(first.waitForFinished());
        QVERIFY(QFile::exists(data + QStringLiteral("/ZeltonReader.lock")));
        const QString feedRequest = QStringLiteral("GET ") + QRegularExpression::escape(base.path() + QStringLiteral("xml.php"));
        const int feedsBefore = requestsMatching(feedRequest);
        QProcess next;
        startReader(next, readerPath(), home);
        QVERIFY(next.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(requestsMatching(feedRequest) > feedsBefore || next.state() == QProcess::NotRunning, 60000);
        QVERIFY2(next.state() == QProcess::Running, next.readAllStandardOutput().constData());
        next.terminate();
        if (!next.waitForFinished(10000)) {
            next.kill();
            next.waitForFinished();
        }
    }
};

int main(int argc, char *argv[])
{
    // As root: into a network namespace of its own, where the reader's built-in port is
    // surely free; the test's processes are the only ones listening there.
    if (isRoot() && !qEnvironmentVariableIsSet("ZR_TEST_OWN_NETWORK")
        && std::system("unshare --net ip link set lo up >/dev/null 2>&1") == 0) {
        qputenv("ZR_TEST_OWN_NETWORK", "1");
        std::vector<char *> arguments{const_cast<char *>("unshare"), const_cast<char *>("--net"), const_cast<char *>("--"),
                                      const_cast<char *>("/bin/sh"), const_cast<char *>("-c"),
                                      const_cast<char *>("ip link set lo up && exec \"$0\" \"$@\"")};
        for (int i = 0; i < argc; ++i)
            arguments.push_back(argv[i]);
        arguments.push_back(nullptr);
        ::execvp("unshare", arguments.data());
        return 127;
    }
    QGuiApplication app(argc, argv);
    TestPackage test;
    return QTest::qExec(&test, argc, argv);
}

#include "TestPackage.moc"
