#include "common/ReaderPaths.h"

#include <QCoreApplication>

ReaderPaths::ReaderPaths(const QString &folder)
    : m_folder(folder.endsWith(u'/') ? folder : folder + u'/')
{
}

ReaderPaths ReaderPaths::besideExecutable()
{
    return ReaderPaths(QCoreApplication::applicationDirPath());
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
