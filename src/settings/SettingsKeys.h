#pragma once

#include <QString>

// The settings file's one section and its keys, named once.
namespace SettingsKeys {

inline const QString Section = QStringLiteral("ZELTON_INFO_READER");

inline const QString Id = QStringLiteral("ID");
inline const QString Left = QStringLiteral("Left");
inline const QString Top = QStringLiteral("Top");
inline const QString Width = QStringLiteral("Width");
inline const QString Height = QStringLiteral("Height");
inline const QString Group = QStringLiteral("Skupina");
inline const QString FontSize = QStringLiteral("FontSize");
inline const QString Style = QStringLiteral("Vzhled");

inline constexpr int DefaultLeft = 10;
inline constexpr int DefaultTop = 10;
inline constexpr int DefaultWidth = 300;
inline constexpr int DefaultHeight = 300;
inline constexpr int DefaultFontSize = 4;  // the entry "12"
inline constexpr int DefaultStyle = 0;     // "Zaoblené"

} // namespace SettingsKeys
