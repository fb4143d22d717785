#include "settings/BrowserEmulation.h"

#include "common/ReaderError.h"
#include "common/Texts.h"
#include "settings/IniFile.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFileInfo>

#ifdef Q_OS_WIN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#endif

QString browserEmulationStandInFile()
{
    // A relative XDG_CONFIG_HOME is invalid and ignored, as other programs of the desktop do.
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/ZeltonReader/HKEY_CURRENT_USER.ini");
}

#ifdef Q_OS_WIN

void writeBrowserEmulation(const QString &executableName, const QString &standInFile)
{
    Q_UNUSED(standInFile);
    // A key that cannot be opened or created is not reported on its own: the value write
    // on the empty handle then fails, and that failure is the one the user sees.
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, reinterpret_cast<LPCWSTR>(BrowserEmulationKey.utf16()), 0,
                        nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr)
        != ERROR_SUCCESS)
        key = nullptr;
    const DWORD data = BrowserEmulationValue;
    const LONG result = RegSetValueExW(key, reinterpret_cast<LPCWSTR>(executableName.utf16()), 0,
                                       REG_DWORD, reinterpret_cast<const BYTE *>(&data),
                                       static_cast<DWORD>(sizeof data));
    if (key)
        RegCloseKey(key);
    if (result != ERROR_SUCCESS)
        throw ReaderError(Texts::failedToSetData(executableName));
}

#else

void writeBrowserEmulation(const QString &executableName, const QString &standInFile)
{
    // The folder is made like the registry key, without looking at the outcome: the
    // write that follows fails if it is missing.
    QDir().mkpath(QFileInfo(standInFile).absolutePath());
    const QString value = QString::number(BrowserEmulationValue);
    if (const auto stored = IniFile(standInFile).setValue(BrowserEmulationKey, executableName, value); !stored) {
        qWarning().noquote() << "Browser emulation value not stored:" << stored.error();
        throw ReaderError(Texts::failedToSetData(executableName));
    }
}

#endif

void writeBrowserEmulationValue()
{
    writeBrowserEmulation(QFileInfo(QCoreApplication::applicationFilePath()).fileName(),
                          browserEmulationStandInFile());
}
