#include "common/ReaderPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>
#include <QTemporaryFile>

ReaderPaths::ReaderPaths(const QString &folder)
    : m_folder(folder.endsWith(u'/') ? folder : folder + u'/')
{
}

ReaderPaths ReaderPaths::choose(const QString &executableFolder, const QString &userDataFolder,
                                const CanWrite &canWrite)
{
    return ReaderPaths(canWrite(executableFolder) ? executableFolder : userDataFolder);
}

ReaderPaths ReaderPaths::forThisProgram()
{
    const QString dataFolder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    ReaderPaths paths = choose(QCoreApplication::applicationDirPath(), dataFolder);
    // A folder that cannot be made is not fatal here: the work folder's own check then
    // tells the user, and the reader still shows its window.
    if (paths.folder() == ReaderPaths(dataFolder).folder())
        QDir().mkpath(dataFolder);
    return paths;
}

ReaderPaths ReaderPaths::besideExecutable()
{
    return ReaderPaths(QCoreApplication::applicationDirPath());
}

bool ReaderPaths::isSystemFolder(const QString &folder)
{
#ifdef Q_OS_UNIX
    const QString path = QDir::cleanPath(QDir(folder).absolutePath()) + u'/';
    for (const char *system : {"/usr/", "/opt/", "/bin/", "/sbin/"})
        if (path.startsWith(QLatin1StringView(system)))
            return true;
#else
    Q_UNUSED(folder);
#endif
    return false;
}

bool ReaderPaths::holdsPortableCopy(const QString &folder)
{
    return !isSystemFolder(folder) && folderIsWritable(folder);
}

bool ReaderPaths::folderIsWritable(const QString &folder)
{
    if (!QDir(folder).exists())
        return false;
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".write-test-XXXXXX")));
    return probe.open();  // removed again when the probe goes out of scope
}

QString ReaderPaths::workFolder() const
{
    return m_folder + QStringLiteral("tmp");
}

QString ReaderPaths::offlineCopy() const
{
    return m_folder + QStringLiteral("Offline_ZeltonReader.xml");
}

QString ReaderPaths::settingsFile() const
{
    return m_folder + QStringLiteral("Settings.ini");
}

QString ReaderPaths::pictureCache() const
{
    return m_folder + QStringLiteral("pictures");
}

QString ReaderPaths::seenNewsFile() const
{
    return m_folder + QStringLiteral("SeenNews.txt");
}
