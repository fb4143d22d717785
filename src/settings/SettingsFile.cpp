#include "settings/SettingsFile.h"

#include "common/ReaderError.h"
#include "common/Texts.h"
#include "common/WholeNumber.h"
#include "settings/IniFile.h"
#include "settings/SettingsKeys.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>

#include <utility>

namespace {

// Values have always been read back at most this long; longer ones are cut.
constexpr qsizetype MaxValueLength = 2047;

} // namespace

SettingsFile::SettingsFile(QString path)
    : m_path(std::move(path))
{
}

QString SettingsFile::readString(const QString &key, const QString &fallback) const
{
    const auto value = IniFile(m_path).value(SettingsKeys::Section, key);
    return value ? asRead(*value) : fallback;
}

QString SettingsFile::asRead(const QString &stored)
{
    qsizetype length = qMin(stored.size(), MaxValueLength);
    // Never leave half of a character that needs two UTF-16 units.
    if (length < stored.size() && length > 0 && stored.at(length - 1).isHighSurrogate())
        --length;
    return stored.first(length);
}

void SettingsFile::writeString(const QString &key, const QString &value)
{
    writeStrings({{key, value}});
}

void SettingsFile::writeStrings(const QList<std::pair<QString, QString>> &values)
{
    if (const auto stored = IniFile(m_path).setValues(SettingsKeys::Section, values); !stored) {
        qWarning().noquote() << "Settings not stored:" << stored.error();
        const QString fullPath = QDir::toNativeSeparators(QFileInfo(m_path).absoluteFilePath());
        throw ReaderError(Texts::unableToWrite(fullPath));
    }
}

int SettingsFile::readInteger(const QString &key, int fallback) const
{
    return parseWholeNumber(readString(key, QString())).value_or(fallback);
}

void SettingsFile::writeInteger(const QString &key, int value)
{
    writeString(key, QString::number(value));
}
