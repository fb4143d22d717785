#include "feed/StoredChoices.h"

#include "settings/SettingsFile.h"
#include "settings/SettingsKeys.h"

void storeChoices(SettingsFile &settings, const ReaderChoices &choices)
{
    settings.writeStrings({{SettingsKeys::Group, choices.restoredGroup},
                           {SettingsKeys::FontSize, QString::number(choices.fontSizeIndex)},
                           {SettingsKeys::Style, QString::number(choices.style)}});
}
