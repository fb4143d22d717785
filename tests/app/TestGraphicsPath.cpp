#include "app/GraphicsPath.h"

#include <QFile>
#include <QHash>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

// The reader draws without OpenGL only where there is no graphics device and the user has not
// told Qt or the engine how to draw.
class TestGraphicsPath : public QObject
{
    Q_OBJECT

private slots:
    void shouldDrawInSoftwareOnlyWithoutDeviceOrUsersChoice_data()
    {
        QTest::addColumn<QStringList>("devices");       // files in the device folder; "-" for no folder
        QTest::addColumn<QString>("variable");          // a variable the user set, if any
        QTest::addColumn<int>("expected");
        const int software = int(GraphicsPath::Software);
        const int toolkit = int(GraphicsPath::Toolkit);
#ifdef Q_OS_LINUX
        QTest::newRow("no device folder") << QStringList{u"-"_s} << QString() << software;
        QTest::newRow("empty device folder") << QStringList{} << QString() << software;
        QTest::newRow("a display card without render node") << QStringList{u"card0"_s} << QString() << software;
        QTest::newRow("render node") << QStringList{u"card0"_s, u"renderD128"_s} << QString() << toolkit;
        QTest::newRow("user chose the X11 GL integration") << QStringList{} << u"QT_XCB_GL_INTEGRATION"_s << toolkit;
        QTest::newRow("user chose the scene graph") << QStringList{} << u"QT_QUICK_BACKEND"_s << toolkit;
        QTest::newRow("user gave the engine flags") << QStringList{} << u"QTWEBENGINE_CHROMIUM_FLAGS"_s << toolkit;
#else
        QTest::newRow("the system draws") << QStringList{} << QString() << toolkit;
        Q_UNUSED(software);
#endif
    }

    void shouldDrawInSoftwareOnlyWithoutDeviceOrUsersChoice()
    {
        QFETCH(QStringList, devices);
        QFETCH(QString, variable);
        QFETCH(int, expected);
        QTemporaryDir dir;
        QString folder = dir.filePath(u"dri"_s);
        if (devices != QStringList{u"-"_s}) {
            QVERIFY(QDir().mkdir(folder));
            for (const QString &name : devices) {
                QFile device(folder + u'/' + name);
                QVERIFY(device.open(QIODevice::WriteOnly));
            }
        }
        const auto environment = [&](const char *name) {
            return QLatin1String(name) == variable ? u"set"_s : QString();
        };
        QCOMPARE(int(chooseGraphicsPath(environment, folder)), expected);
    }
};

QTEST_GUILESS_MAIN(TestGraphicsPath)
#include "TestGraphicsPath.moc"
