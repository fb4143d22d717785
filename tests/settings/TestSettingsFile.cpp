#include "settings/SettingsFile.h"

#include "common/AtomicSave.h"
#include "common/ReaderError.h"
#include "settings/SettingsKeys.h"

#include <QtTest>

#include <climits>
#include <optional>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#endif

namespace {

const QString NoError = QStringLiteral("(no error thrown)");

// The message of the ReaderError that `action` throws.
template <typename Action>
QString errorOf(Action action)
{
    try {
        action();
    } catch (const ReaderError &error) {
        return error.message();
    }
    return NoError;
}

#ifdef Q_OS_UNIX
// Makes the kernel refuse to grow any file of this process past `bytes` for its lifetime,
// the way a full disk would; works for root too, unlike file permissions.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        m_active = setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

    bool active() const { return m_active; }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
    bool m_active = false;
};
#endif

} // namespace

class TestSettingsFile : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void shouldReadIntegerOrFallBack();
    void shouldStoreWholeNumbersAsDecimalText_data();
    void shouldStoreWholeNumbersAsDecimalText();

    void shouldReadString_data();
    void shouldReadString();
    void shouldNotCreateFileWhenReading();
    void shouldReadBackWhatWasWritten_data();
    void shouldReadBackWhatWasWritten();
    void shouldCutLongValues_data();
    void shouldCutLongValues();
    void shouldReadFileAnewOnEveryCall();

    void shouldChangeOnlyTheWrittenKey_data();
    void shouldChangeOnlyTheWrittenKey();

    void shouldStoreLineBreaksAsBlanks_data();
    void shouldStoreLineBreaksAsBlanks();
    void shouldEndLinesAtEveryLineEnd_data();
    void shouldEndLinesAtEveryLineEnd();

    void shouldRemoveStaleCopiesOnly();

    void shouldReportFullPathWhenWriteFails_data();
    void shouldReportFullPathWhenWriteFails();
    void shouldKeepOldFileWhenWriteIsCutShort();

    void shouldWriteSeveralKeysInOneReplacement();
    void shouldStoreAllOrNoneOfSeveralKeys();
    void shouldNotRewriteFileHoldingTheValues();

private:
    QString settingsPath() const { return m_dir->filePath(QStringLiteral("Settings.ini")); }
    void writeFile(const QByteArray &bytes) const;
    QByteArray fileBytes() const;

    std::optional<QTemporaryDir> m_dir;
    QString m_oldCurrent;
};

void TestSettingsFile::init()
{
    m_dir.emplace();
    QVERIFY(m_dir->isValid());
    m_oldCurrent = QDir::currentPath();
}

void TestSettingsFile::cleanup()
{
    QDir::setCurrent(m_oldCurrent);
    m_dir.reset();
}

void TestSettingsFile::writeFile(const QByteArray &bytes) const
{
    QFile file(settingsPath());
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray TestSettingsFile::fileBytes() const
{
    QFile file(settingsPath());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void TestSettingsFile::shouldReadIntegerOrFallBack()
{
    writeFile("[ZELTON_INFO_READER]\nLeft=0x20\nTop=abc\nWidth = -7 \nHeight=\nFontSize=$FFFFFFFF\n");
    const SettingsFile settings(settingsPath());

    QCOMPARE(settings.readInteger(SettingsKeys::Left, 10), 32);
    QCOMPARE(settings.readInteger(SettingsKeys::Top, 10), 10);
    QCOMPARE(settings.readInteger(SettingsKeys::Width, 300), -7);
    QCOMPARE(settings.readInteger(SettingsKeys::Height, 300), 300);
    QCOMPARE(settings.readInteger(SettingsKeys::FontSize, 4), -1);
    QCOMPARE(settings.readInteger(SettingsKeys::Style, 0), 0);
}

void TestSettingsFile::shouldStoreWholeNumbersAsDecimalText_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<QByteArray>("line");

    QTest::newRow("zero") << 0 << QByteArray("FontSize=0\n");
    QTest::newRow("none selected") << -1 << QByteArray("FontSize=-1\n");
    QTest::newRow("largest") << INT_MAX << QByteArray("FontSize=2147483647\n");
    QTest::newRow("smallest") << INT_MIN << QByteArray("FontSize=-2147483648\n");
}

void TestSettingsFile::shouldStoreWholeNumbersAsDecimalText()
{
    QFETCH(int, value);
    QFETCH(QByteArray, line);

    SettingsFile(settingsPath()).writeInteger(SettingsKeys::FontSize, value);

    QCOMPARE(fileBytes(), "[ZELTON_INFO_READER]\n" + line);
    QCOMPARE(SettingsFile(settingsPath()).readInteger(SettingsKeys::FontSize, 4), value);
}

void TestSettingsFile::shouldReadString_data()
{
    QTest::addColumn<QByteArray>("content"); // a null array: no file at all
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");

    const QString fallback = QStringLiteral("fallback");
    const QString id = SettingsKeys::Id;

    QTest::newRow("missing file") << QByteArray() << id << fallback;
    QTest::newRow("empty file") << QByteArray("") << id << fallback;
    QTest::newRow("missing key") << QByteArray("[ZELTON_INFO_READER]\nLeft=1\n") << id << fallback;
    QTest::newRow("present but empty") << QByteArray("[ZELTON_INFO_READER]\nID=\n") << id << QString();
    QTest::newRow("blanks only") << QByteArray("[ZELTON_INFO_READER]\nID=  \t\n") << id << QString();
    QTest::newRow("blanks around key and value")
        << QByteArray("[ZELTON_INFO_READER]\n  ID = demo \t\n") << id << QStringLiteral("demo");
    QTest::newRow("blanks inside value kept")
        << QByteArray("[ZELTON_INFO_READER]\nID=a  b\n") << id << QStringLiteral("a  b");
    QTest::newRow("key in other case") << QByteArray("[ZELTON_INFO_READER]\nid=demo\n") << id
                                       << QStringLiteral("demo");
    QTest::newRow("section in other case")
        << QByteArray("[Zelton_Info_Reader]\nID=demo\n") << id << QStringLiteral("demo");
    QTest::newRow("section header with blanks")
        << QByteArray("  [ ZELTON_INFO_READER ]  \nID=demo\n") << id << QStringLiteral("demo");
    QTest::newRow("CRLF") << QByteArray("[ZELTON_INFO_READER]\r\nID=demo\r\nLeft=5\r\n") << id
                          << QStringLiteral("demo");
    QTest::newRow("byte order mark")
        << QByteArray("\xEF\xBB\xBF[ZELTON_INFO_READER]\nID=demo\n") << id << QStringLiteral("demo");
    QTest::newRow("no line end at the end") << QByteArray("[ZELTON_INFO_READER]\nID=demo") << id
                                            << QStringLiteral("demo");
    QTest::newRow("UTF-8 text") << QByteArray("[ZELTON_INFO_READER]\nSkupina=V\xC5\xA1\x65\n")
                                << SettingsKeys::Group << QStringLiteral("V\u0161e");
    QTest::newRow("equals sign in value")
        << QByteArray("[ZELTON_INFO_READER]\nID=a=b\n") << id << QStringLiteral("a=b");
    QTest::newRow("first of two keys") << QByteArray("[ZELTON_INFO_READER]\nID=one\nID=two\n") << id
                                       << QStringLiteral("one");
    QTest::newRow("first of two sections")
        << QByteArray("[ZELTON_INFO_READER]\nLeft=1\n[ZELTON_INFO_READER]\nID=two\n") << id << fallback;
    QTest::newRow("key only in other section") << QByteArray("[Other]\nID=x\n") << id << fallback;
    QTest::newRow("key in following section")
        << QByteArray("[ZELTON_INFO_READER]\nLeft=1\n[Other]\nID=x\n") << id << fallback;
    QTest::newRow("key before any section")
        << QByteArray("ID=x\n[ZELTON_INFO_READER]\nLeft=1\n") << id << fallback;
    QTest::newRow("longer key alike") << QByteArray("[ZELTON_INFO_READER]\nIDX=1\n") << id << fallback;
    QTest::newRow("section name alike")
        << QByteArray("[ZELTON_INFO_READER2]\nID=x\n") << id << fallback;
    QTest::newRow("key without equals sign") << QByteArray("[ZELTON_INFO_READER]\nID\n") << id << fallback;
}

void TestSettingsFile::shouldReadString()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, key);
    QFETCH(QString, expected);

    if (!content.isNull())
        writeFile(content);

    QCOMPARE(SettingsFile(settingsPath()).readString(key, QStringLiteral("fallback")), expected);
}

void TestSettingsFile::shouldNotCreateFileWhenReading()
{
    const SettingsFile settings(settingsPath());
    QCOMPARE(settings.readString(SettingsKeys::Id, QString()), QString());
    QCOMPARE(settings.readInteger(SettingsKeys::Left, 10), 10);
    QVERIFY(!QFileInfo::exists(settingsPath()));
}

void TestSettingsFile::shouldReadBackWhatWasWritten_data()
{
    QTest::addColumn<QString>("value");

    QTest::newRow("Czech text") << QStringLiteral("V\u0161e");
    QTest::newRow("comma list") << QStringLiteral("a, b");
    QTest::newRow("quotes, backslashes, equals")
        << QStringLiteral(R"("quoted" 'single' C:\dir\ a=b \n %PATH% ;x #y)");
    QTest::newRow("brackets") << QStringLiteral("[ZELTON_INFO_READER]");
    QTest::newRow("empty") << QString();
    QTest::newRow("outside the basic plane") << QStringLiteral("\U0001F600 id");
}

void TestSettingsFile::shouldReadBackWhatWasWritten()
{
    QFETCH(QString, value);

    SettingsFile(settingsPath()).writeString(SettingsKeys::Group, value);

    // The text goes into the file unchanged, and a fresh object reads it back.
    QCOMPARE(fileBytes(), "[ZELTON_INFO_READER]\nSkupina=" + value.toUtf8() + '\n');
    QCOMPARE(SettingsFile(settingsPath()).readString(SettingsKeys::Group, QStringLiteral("fallback")),
             value);
}

void TestSettingsFile::shouldCutLongValues_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("expectedLength");

    QTest::newRow("2047 kept") << QString(2047, u'a') << 2047;
    QTest::newRow("2048 cut") << QString(2048, u'a') << 2047;
    QTest::newRow("5000 cut") << QString(5000, u'a') << 2047;
    // A character of two UTF-16 units across the limit goes whole rather than half.
    QTest::newRow("pair across the limit") << QString(2046, u'a') + QStringLiteral("\U0001F600") << 2046;
    QTest::newRow("pair just inside") << QString(2045, u'a') + QStringLiteral("\U0001F600b") << 2047;
}

void TestSettingsFile::shouldCutLongValues()
{
    QFETCH(QString, value);
    QFETCH(int, expectedLength);

    SettingsFile settings(settingsPath());
    settings.writeString(SettingsKeys::Id, value);

    QCOMPARE(settings.readString(SettingsKeys::Id, QString()), value.first(expectedLength));
    QVERIFY(fileBytes().contains("ID=" + value.toUtf8() + '\n'));
}

void TestSettingsFile::shouldReadFileAnewOnEveryCall()
{
    SettingsFile settings(settingsPath());
    settings.writeString(SettingsKeys::Id, QStringLiteral("first"));
    QCOMPARE(settings.readString(SettingsKeys::Id, QString()), QStringLiteral("first"));

    writeFile("[ZELTON_INFO_READER]\nID=changed outside\n");
    QCOMPARE(settings.readString(SettingsKeys::Id, QString()), QStringLiteral("changed outside"));

    // A write starts from the file as it is now, not from what this object saw before.
    writeFile("[ZELTON_INFO_READER]\nLeft=3\n");
    settings.writeInteger(SettingsKeys::Top, 4);
    QCOMPARE(fileBytes(), QByteArray("[ZELTON_INFO_READER]\nLeft=3\nTop=4\n"));
}

void TestSettingsFile::shouldChangeOnlyTheWrittenKey_data()
{
    QTest::addColumn<QByteArray>("before"); // a null array: no file at all
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("after");

    const QByteArray rich = "; kept as typed\n"
                            "[Other]\n"
                            "ID=not ours\n"
                            "a line without an equals sign\n"
                            "\n"
                            "[zelton_info_reader]\n"
                            "  id = old  \n"
                            "Left=5\n"
                            "; a note\n"
                            "\n"
                            "[Last]\n"
                            "x = 1\n";

    QTest::newRow("existing key replaced in place")
        << rich << SettingsKeys::Id << QStringLiteral("new") << QByteArray(rich).replace("  id = old  ", "id=new");
    QTest::newRow("new key after the section's last line")
        << rich << SettingsKeys::Top << QStringLiteral("7")
        << QByteArray(rich).replace("; a note\n", "; a note\nTop=7\n");
    QTest::newRow("CRLF kept for a changed key")
        << QByteArray("[A]\r\nk=1\r\n[ZELTON_INFO_READER]\r\nID=a\r\nLeft=1\r\n") << SettingsKeys::Id
        << QStringLiteral("b") << QByteArray("[A]\r\nk=1\r\n[ZELTON_INFO_READER]\r\nID=b\r\nLeft=1\r\n");
    QTest::newRow("CRLF used for a new key")
        << QByteArray("[ZELTON_INFO_READER]\r\nID=a\r\n\r\n[A]\r\nk=1\r\n") << SettingsKeys::Top
        << QStringLiteral("7") << QByteArray("[ZELTON_INFO_READER]\r\nID=a\r\nTop=7\r\n\r\n[A]\r\nk=1\r\n");
    QTest::newRow("missing section appended")
        << QByteArray("[Other]\r\nx=1\r\n") << SettingsKeys::Id << QStringLiteral("new")
        << QByteArray("[Other]\r\nx=1\r\n[ZELTON_INFO_READER]\r\nID=new\r\n");
    QTest::newRow("section appended after a last line without line end")
        << QByteArray("[Other]\nx=1") << SettingsKeys::Id << QStringLiteral("new")
        << QByteArray("[Other]\nx=1\n[ZELTON_INFO_READER]\nID=new\n");
    QTest::newRow("key added after a last line without line end")
        << QByteArray("[ZELTON_INFO_READER]\nID=a") << SettingsKeys::Top << QStringLiteral("7")
        << QByteArray("[ZELTON_INFO_READER]\nID=a\nTop=7\n");
    QTest::newRow("empty section gets its first key")
        << QByteArray("[ZELTON_INFO_READER]\n[Other]\nx=1\n") << SettingsKeys::Id << QStringLiteral("a")
        << QByteArray("[ZELTON_INFO_READER]\nID=a\n[Other]\nx=1\n");
    QTest::newRow("first of two sections written")
        << QByteArray("[ZELTON_INFO_READER]\nLeft=1\n[ZELTON_INFO_READER]\nID=old\n") << SettingsKeys::Id
        << QStringLiteral("new") << QByteArray("[ZELTON_INFO_READER]\nLeft=1\nID=new\n[ZELTON_INFO_READER]\nID=old\n");
    QTest::newRow("other lines in another encoding kept")
        << QByteArray("[Other]\nname=\xE8\xE1\xF8\n[ZELTON_INFO_READER]\nID=a\n") << SettingsKeys::Id
        << QStringLiteral("b") << QByteArray("[Other]\nname=\xE8\xE1\xF8\n[ZELTON_INFO_READER]\nID=b\n");
    QTest::newRow("byte order mark not written")
        << QByteArray("\xEF\xBB\xBF[ZELTON_INFO_READER]\nID=a\n") << SettingsKeys::Id << QStringLiteral("b")
        << QByteArray("[ZELTON_INFO_READER]\nID=b\n");
    // The mark's bytes at the start of the first line stay text: dropped with the mark, they
    // would become the mark, the first line a section and "ID=a" the key read.
    QTest::newRow("byte order mark twice")
        << QByteArray("\xEF\xBB\xBF\xEF\xBB\xBF[ZELTON_INFO_READER]\nID=a\n") << SettingsKeys::Id
        << QStringLiteral("b")
        << QByteArray("\xEF\xBB\xBF\xEF\xBB\xBF[ZELTON_INFO_READER]\nID=a\n[ZELTON_INFO_READER]\nID=b\n");
    QTest::newRow("empty file") << QByteArray("") << SettingsKeys::Id << QStringLiteral("a")
                                << QByteArray("[ZELTON_INFO_READER]\nID=a\n");
#ifndef Q_OS_WIN
    QTest::newRow("missing file created") << QByteArray() << SettingsKeys::Id << QStringLiteral("a")
                                          << QByteArray("[ZELTON_INFO_READER]\nID=a\n");
#endif
}

void TestSettingsFile::shouldChangeOnlyTheWrittenKey()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QByteArray, after);

    if (!before.isNull())
        writeFile(before);

    SettingsFile(settingsPath()).writeString(key, value);

    QCOMPARE(fileBytes(), after);
}

void TestSettingsFile::shouldStoreLineBreaksAsBlanks_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("stored");

    QTest::newRow("LF adding a key") << QStringLiteral("Sport\nID=other") << QStringLiteral("Sport ID=other");
    QTest::newRow("CR LF counted once") << QStringLiteral("a\r\nID=x") << QStringLiteral("a ID=x");
    QTest::newRow("lone CR") << QStringLiteral("a\rID=x") << QStringLiteral("a ID=x");
    QTest::newRow("LF then CR are two") << QStringLiteral("a\n\rb") << QStringLiteral("a  b");
    QTest::newRow("two CR LF") << QStringLiteral("a\r\n\r\nb") << QStringLiteral("a  b");
    QTest::newRow("adding a section") << QStringLiteral("x\n[Other]\nk=v") << QStringLiteral("x [Other] k=v");
    QTest::newRow("break at the end") << QStringLiteral("Sport\n") << QStringLiteral("Sport");
    QTest::newRow("only breaks") << QStringLiteral("\r\n\n\r") << QString();
}

void TestSettingsFile::shouldStoreLineBreaksAsBlanks()
{
    QFETCH(QString, value);
    QFETCH(QString, stored);

    const QByteArray before = "[ZELTON_INFO_READER]\nID=demo\nSkupina=old\nLeft=5\n";
    writeFile(before);
    SettingsFile settings(settingsPath());
    settings.writeString(SettingsKeys::Group, value);
    // A new key takes the same way as a changed one.
    settings.writeString(SettingsKeys::Style, value);

    QCOMPARE(settings.readString(SettingsKeys::Group, QStringLiteral("fallback")), stored);
    QCOMPARE(settings.readString(SettingsKeys::Style, QStringLiteral("fallback")), stored);
    QCOMPARE(settings.readString(SettingsKeys::Id, QString()), QStringLiteral("demo"));
    QString flat = value;
    flat.replace(QStringLiteral("\r\n"), QStringLiteral(" ")).replace(u'\r', u' ').replace(u'\n', u' ');
    QCOMPARE(fileBytes(), QByteArray(before).replace("Skupina=old", "Skupina=" + flat.toUtf8())
                              + "Vzhled=" + flat.toUtf8() + '\n');
}

void TestSettingsFile::shouldEndLinesAtEveryLineEnd_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QByteArray>("after"); // with the key set to "new"

    QTest::newRow("lone CR, key changed")
        << QByteArray("[ZELTON_INFO_READER]\rID=demo\rLeft=5\r") << SettingsKeys::Id
        << QByteArray("[ZELTON_INFO_READER]\rID=new\rLeft=5\r");
    QTest::newRow("lone CR, key added")
        << QByteArray("[ZELTON_INFO_READER]\rID=demo\rLeft=5\r[Other]\rk=1\r") << SettingsKeys::Group
        << QByteArray("[ZELTON_INFO_READER]\rID=demo\rLeft=5\rSkupina=new\r[Other]\rk=1\r");
    QTest::newRow("lone CR, no end at the end")
        << QByteArray("[ZELTON_INFO_READER]\rID=demo") << SettingsKeys::Group
        << QByteArray("[ZELTON_INFO_READER]\rID=demo\rSkupina=new\r");
    // Found by fuzzing: a lone CR before the blank line's LF would read as one CR LF.
    QTest::newRow("key added before a blank LF line in a CR file")
        << QByteArray("[ZELTON_INFO_READER]\rID=demo\n\n[Other]\rk=1\r") << SettingsKeys::Group
        << QByteArray("[ZELTON_INFO_READER]\rID=demo\nSkupina=new\n\n[Other]\rk=1\r");
    QTest::newRow("mixed ends each kept")
        << QByteArray("[ZELTON_INFO_READER]\r\nID=demo\rSkupina=old\nLeft=5\r\n") << SettingsKeys::Group
        << QByteArray("[ZELTON_INFO_READER]\r\nID=demo\rSkupina=new\nLeft=5\r\n");
    QTest::newRow("LF CR is two ends")
        << QByteArray("[ZELTON_INFO_READER]\n\rID=demo\n\r") << SettingsKeys::Id
        << QByteArray("[ZELTON_INFO_READER]\n\rID=new\n\r");
    QTest::newRow("empty lines of lone CR")
        << QByteArray("[Other]\r\r[ZELTON_INFO_READER]\r\rID=demo\r") << SettingsKeys::Id
        << QByteArray("[Other]\r\r[ZELTON_INFO_READER]\r\rID=new\r");
}

void TestSettingsFile::shouldEndLinesAtEveryLineEnd()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, key);
    QFETCH(QByteArray, after);

    writeFile(before);
    SettingsFile settings(settingsPath());
    QCOMPARE(settings.readString(SettingsKeys::Id, QString()), QStringLiteral("demo"));
    if (before.contains("Left=5"))
        QCOMPARE(settings.readInteger(SettingsKeys::Left, 10), 5);

    settings.writeString(key, QStringLiteral("new"));

    QCOMPARE(fileBytes(), after);
    QCOMPARE(settings.readString(key, QString()), QStringLiteral("new"));
}

void TestSettingsFile::shouldRemoveStaleCopiesOnly()
{
    writeFile("[ZELTON_INFO_READER]\nID=demo\n");
    const QDir dir(m_dir->path());
    const auto touch = [&](const QString &name) {
        QFile file(dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[ZELTON_INFO_READER]\nID=half");
    };

    // A copy named as a save of the settings names it, as an interrupted save leaves it.
    const QString leftover = saveCopyPath(settingsPath());
    QCOMPARE(QFileInfo(leftover).absolutePath(), QFileInfo(settingsPath()).absolutePath());
    const QString leftoverName = QFileInfo(leftover).fileName();
    QVERIFY(leftoverName.startsWith(QStringLiteral(".Settings.ini.")));
    touch(leftoverName);

    // Copies users make by hand, and those of earlier versions (maybe the user's too), stay.
    QStringList kept{QStringLiteral("Other.ini.AbC123"),  QStringLiteral("Settings.ini"),
                     QStringLiteral("Settings.ini.AbC123"), QStringLiteral("Settings.ini.123456"),
                     QStringLiteral("Settings.ini.AbC12"), QStringLiteral("Settings.ini.AbC1234"),
                     QStringLiteral("Settings.ini.Ab-123"), QStringLiteral("Settings.ini.bak"),
                     QStringLiteral("Settings.iniXAbC123"), QStringLiteral(".Other.ini.zr-save-AbC123")};
    kept.sort();
    for (const QString &name : kept) {
        if (name != QStringLiteral("Settings.ini"))
            touch(name);
    }
    // The temporary feed files of failed cycles stay, whatever their names.
    QVERIFY(dir.mkpath(QStringLiteral("tmp")));
    touch(QStringLiteral("tmp/Settings.ini.QwErTy"));
    touch(QStringLiteral("tmp/000000042_2026_12_10_10_00_00_000.xml"));
    QVERIFY(dir.mkdir(QStringLiteral(".Settings.ini.zr-save-Folder")));

    QCOMPARE(removeStaleSaveCopies(settingsPath()), 1);

    QStringList left = dir.entryList(QDir::Files | QDir::Hidden);
    left.sort();
    QCOMPARE(left, kept);
    QVERIFY(QFileInfo(dir.filePath(QStringLiteral(".Settings.ini.zr-save-Folder"))).isDir());
    QCOMPARE(QDir(dir.filePath(QStringLiteral("tmp"))).entryList(QDir::Files).size(), 2);
    QCOMPARE(fileBytes(), QByteArray("[ZELTON_INFO_READER]\nID=demo\n"));
    QCOMPARE(removeStaleSaveCopies(settingsPath()), 0);
}

void TestSettingsFile::shouldReportFullPathWhenWriteFails_data()
{
    QTest::addColumn<bool>("asInteger");

    QTest::newRow("text") << false;
    QTest::newRow("whole number") << true;
}

void TestSettingsFile::shouldReportFullPathWhenWriteFails()
{
    QFETCH(bool, asInteger);

    // A regular file where the folder should be: no file can be made beneath it, not even by root.
    QFile blocker(m_dir->filePath(QStringLiteral("blocker")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.write("not a folder");
    blocker.close();

    // The object gets a relative path; the message must name the whole path.
    QVERIFY(QDir::setCurrent(m_dir->path()));
    SettingsFile settings(QStringLiteral("blocker/Settings.ini"));

    const auto error = errorOf([&] {
        if (asInteger)
            settings.writeInteger(SettingsKeys::Left, 10);
        else
            settings.writeString(SettingsKeys::Id, QStringLiteral("demo"));
    });

    const QString full = QDir::toNativeSeparators(QDir::currentPath() + QStringLiteral("/blocker/Settings.ini"));
    QCOMPARE(error, QStringLiteral("Unable to write to ") + full);
    QVERIFY(blocker.open(QIODevice::ReadOnly));
    QCOMPARE(blocker.readAll(), QByteArray("not a folder"));
}

void TestSettingsFile::shouldKeepOldFileWhenWriteIsCutShort()
{
#ifdef Q_OS_UNIX
    const QByteArray old = "; hand made\n[ZELTON_INFO_READER]\nID=demo\nSkupina=V\xC5\xA1\x65\n";
    writeFile(old);
    SettingsFile settings(settingsPath());

    QString error;
    {
        FileSizeLimit limit(4096);
        QVERIFY(limit.active());
        error = errorOf([&] { settings.writeString(SettingsKeys::Group, QString(10000, u'x')); });
    }

    QCOMPARE(error, QStringLiteral("Unable to write to ") + QDir::toNativeSeparators(settingsPath()));
    QCOMPARE(fileBytes(), old);
    // The half-written copy does not stay behind beside the settings.
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("Settings.ini")});
    QCOMPARE(settings.readString(SettingsKeys::Group, QString()), QStringLiteral("V\u0161e"));
#else
    QSKIP("The file size limit used here exists on POSIX systems only");
#endif
}

QTEST_GUILESS_MAIN(TestSettingsFile)
void TestSettingsFile::shouldWriteSeveralKeysInOneReplacement()
{
    const QByteArray old = "; hand made\r\n[ZELTON_INFO_READER]\r\nID=demo\r\nvzhled = 1\r\n[Other]\r\nSkupina=x\r\n";
    writeFile(old);
    SettingsFile settings(settingsPath());
    // The same three keys written one by one, in a file of their own.
    SettingsFile oneByOne(m_dir->filePath(QStringLiteral("OneByOne.ini")));
    QVERIFY(QFile::copy(settingsPath(), oneByOne.path()));
    oneByOne.writeString(SettingsKeys::Group, QStringLiteral("Sport"));
    oneByOne.writeString(SettingsKeys::FontSize, QStringLiteral("4"));
    oneByOne.writeString(SettingsKeys::Style, QStringLiteral("2"));

    settings.writeStrings({{SettingsKeys::Group, QStringLiteral("Sport")},
                           {SettingsKeys::FontSize, QStringLiteral("4")},
                           {SettingsKeys::Style, QStringLiteral("2")}});

    // Each key lands where a write of its own puts it: new keys after the section's last
    // line, the present key in its line with its spelling, the other section untouched.
    QFile expected(oneByOne.path());
    QVERIFY(expected.open(QIODevice::ReadOnly));
    QCOMPARE(fileBytes(), expected.readAll());
    QCOMPARE(fileBytes(), QByteArray("; hand made\r\n[ZELTON_INFO_READER]\r\nID=demo\r\nvzhled=2\r\n"
                                     "Skupina=Sport\r\nFontSize=4\r\n[Other]\r\nSkupina=x\r\n"));
}

void TestSettingsFile::shouldStoreAllOrNoneOfSeveralKeys()
{
#ifdef Q_OS_UNIX
    const QByteArray old = "[ZELTON_INFO_READER]\nID=demo\n";
    writeFile(old);
    SettingsFile settings(settingsPath());

    // The first key alone would fit, the file with both would not.
    QString error;
    {
        FileSizeLimit limit(4096);
        QVERIFY(limit.active());
        error = errorOf([&] {
            settings.writeStrings({{SettingsKeys::Group, QStringLiteral("Sport")},
                                   {SettingsKeys::Id, QString(10000, u'x')}});
        });
    }

    QCOMPARE(error, QStringLiteral("Unable to write to ") + QDir::toNativeSeparators(settingsPath()));
    QCOMPARE(fileBytes(), old);
#else
    QSKIP("needs a file size limit");
#endif
}

void TestSettingsFile::shouldNotRewriteFileHoldingTheValues()
{
#ifdef Q_OS_UNIX
    const auto inode = [this] {
        struct stat info{};
        return ::stat(QFile::encodeName(settingsPath()).constData(), &info) == 0 ? info.st_ino : ino_t(0);
    };
    const QByteArray stored = "[ZELTON_INFO_READER]\r\nID=demo\r\nSkupina=Sport\r\nFontSize=4\r\n";
    writeFile(stored);
    SettingsFile settings(settingsPath());
    const ino_t before = inode();
    QVERIFY(before != 0);

    settings.writeStrings({{SettingsKeys::Group, QStringLiteral("Sport")}, {SettingsKeys::FontSize, QStringLiteral("4")}});
    settings.writeInteger(SettingsKeys::FontSize, 4);
    QCOMPARE(inode(), before);
    QCOMPARE(fileBytes(), stored);

    // One value that differs replaces the file.
    settings.writeStrings({{SettingsKeys::Group, QStringLiteral("Sport")}, {SettingsKeys::FontSize, QStringLiteral("5")}});
    QVERIFY(inode() != before);
    QCOMPARE(settings.readInteger(SettingsKeys::FontSize, -1), 5);
#else
    QSKIP("needs inode numbers");
#endif
}

#include "TestSettingsFile.moc"
