#include "common/ReaderError.h"
#include "settings/BrowserEmulation.h"

#include <QtTest>

#include <optional>

namespace {

const QByteArray KeyLine =
    "[Software\\Microsoft\\Internet Explorer\\Main\\FeatureControl\\FEATURE_BROWSER_EMULATION]";

// The test program stands in for the reader: the value is named after its file name.
const QByteArray ExeName = "TestBrowserEmulation";

// An environment variable set for one test and put back as it was afterwards.
class SavedVariable
{
public:
    explicit SavedVariable(const char *name)
        : m_name(name)
        , m_had(qEnvironmentVariableIsSet(name))
        , m_value(qgetenv(name))
    {
    }
    ~SavedVariable()
    {
        if (m_had)
            qputenv(m_name, m_value);
        else
            qunsetenv(m_name);
    }
    SavedVariable(const SavedVariable &) = delete;
    SavedVariable &operator=(const SavedVariable &) = delete;

private:
    const char *m_name;
    bool m_had;
    QByteArray m_value;
};

QString errorOf(void (*action)())
{
    try {
        action();
    } catch (const ReaderError &error) {
        return error.message();
    }
    return QStringLiteral("(no error thrown)");
}

} // namespace

class TestBrowserEmulation : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void shouldPlaceStandInUnderConfigFolder_data();
    void shouldPlaceStandInUnderConfigFolder();
    void shouldCreateStandInWithTheValue();
    void shouldRewriteValueAndKeepTheRest_data();
    void shouldRewriteValueAndKeepTheRest();
    void shouldFailWhenStandInCannotBeWritten();

private:
    QString standIn() const
    {
        return m_dir->filePath(QStringLiteral("config/ZeltonReader/HKEY_CURRENT_USER.ini"));
    }
    QByteArray standInBytes() const;

    std::optional<QTemporaryDir> m_dir;
    std::optional<SavedVariable> m_configHome;
    std::optional<SavedVariable> m_home;
};

void TestBrowserEmulation::initTestCase()
{
#ifdef Q_OS_WIN
    QSKIP("On Windows the value goes to the registry itself, not to the stand-in file");
#endif
}

void TestBrowserEmulation::init()
{
    m_dir.emplace();
    QVERIFY(m_dir->isValid());
    m_configHome.emplace("XDG_CONFIG_HOME");
    m_home.emplace("HOME");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir->filePath(QStringLiteral("config"))));
}

void TestBrowserEmulation::cleanup()
{
    m_home.reset();
    m_configHome.reset();
    m_dir.reset();
}

QByteArray TestBrowserEmulation::standInBytes() const
{
    QFile file(standIn());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void TestBrowserEmulation::shouldPlaceStandInUnderConfigFolder_data()
{
    QTest::addColumn<QByteArray>("configHome"); // a null array: not set; "@" is the temporary folder
    QTest::addColumn<QString>("expected");      // below the temporary folder

    const QString fromConfig = QStringLiteral("config/ZeltonReader/HKEY_CURRENT_USER.ini");
    const QString fromHome = QStringLiteral("home/.config/ZeltonReader/HKEY_CURRENT_USER.ini");

    QTest::newRow("config folder set") << QByteArray("@/config") << fromConfig;
    QTest::newRow("not set") << QByteArray() << fromHome;
    QTest::newRow("empty") << QByteArray("") << fromHome;
    QTest::newRow("relative, so invalid") << QByteArray("config") << fromHome;
}

void TestBrowserEmulation::shouldPlaceStandInUnderConfigFolder()
{
    QFETCH(QByteArray, configHome);
    QFETCH(QString, expected);

    qputenv("HOME", QFile::encodeName(m_dir->filePath(QStringLiteral("home"))));
    if (configHome.isNull())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", configHome.replace('@', QFile::encodeName(m_dir->path())));

    QCOMPARE(browserEmulationStandInFile(), m_dir->filePath(expected));
}

void TestBrowserEmulation::shouldCreateStandInWithTheValue()
{
    writeBrowserEmulationValue();

    QCOMPARE(standInBytes(), KeyLine + '\n' + ExeName + "=9000\n");
}

void TestBrowserEmulation::shouldRewriteValueAndKeepTheRest_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");

    const QByteArray others = "; values of other programs\n"
                              "[Elsewhere]\n"
                              + ExeName + "=1\n";

    QTest::newRow("value the user changed")
        << others + KeyLine + "\nother.exe=11000\n" + ExeName + "=11001\nlast.exe=7000\n"
        << others + KeyLine + "\nother.exe=11000\n" + ExeName + "=9000\nlast.exe=7000\n";
    QTest::newRow("name and key in other letter case")
        << KeyLine.toLower() + "\r\n" + ExeName.toLower() + " = 11001\r\n"
        << KeyLine.toLower() + "\r\n" + ExeName.toLower() + "=9000\r\n";
    QTest::newRow("name missing from the key")
        << KeyLine + "\nother.exe=11000\n\n[Elsewhere]\nx=1\n"
        << KeyLine + "\nother.exe=11000\n" + ExeName + "=9000\n\n[Elsewhere]\nx=1\n";
    QTest::newRow("already 9000") << KeyLine + '\n' + ExeName + "=9000\n" << KeyLine + '\n' + ExeName + "=9000\n";
}

void TestBrowserEmulation::shouldRewriteValueAndKeepTheRest()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);

    QVERIFY(QDir().mkpath(QFileInfo(standIn()).path()));
    QFile file(standIn());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(before);
    file.close();

    writeBrowserEmulationValue();

    QCOMPARE(standInBytes(), after);
}

void TestBrowserEmulation::shouldFailWhenStandInCannotBeWritten()
{
    // A regular file where the configuration folder should be.
    const QString notAFolder = m_dir->filePath(QStringLiteral("config"));
    QFile file(notAFolder);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();

    QCOMPARE(errorOf(&writeBrowserEmulationValue), QStringLiteral("Failed to set data for '") + QString::fromUtf8(ExeName) + u'\'');
    QVERIFY(QFileInfo(notAFolder).isFile());
}

QTEST_GUILESS_MAIN(TestBrowserEmulation)
#include "TestBrowserEmulation.moc"
