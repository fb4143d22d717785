#pragma once

#include <QString>

// Writes the per-user browser emulation value (9000) named after the executable.
// On Windows it lives under HKEY_CURRENT_USER; elsewhere in a small per-user INI file
// that stands in for that hive. Throws ReaderError("Failed to set data for '<name>'").
// No web view off Windows reads the value: it is written all the same so that start-up, and
// the message a failed write shows, are one and the same on every system.
void writeBrowserEmulationValue();

// The same, for a given executable file name and (off Windows) stand-in file.
void writeBrowserEmulation(const QString &executableName, const QString &standInFile);

// The stand-in file off Windows: $XDG_CONFIG_HOME (or ~/.config) + "/ZeltonReader/HKEY_CURRENT_USER.ini".
QString browserEmulationStandInFile();

inline const QString BrowserEmulationKey =
    QStringLiteral("Software\\Microsoft\\Internet Explorer\\Main\\FeatureControl\\FEATURE_BROWSER_EMULATION");
inline constexpr int BrowserEmulationValue = 9000;
