#pragma once

#include "feed/CycleOutcome.h"

class SettingsFile;

// Keeps the choices a completed cycle ran with for the next start: the group, the font size
// and the style. One replacement of the settings file for all three, and none when they are
// stored already; throws ReaderError when the file cannot be written.
void storeChoices(SettingsFile &settings, const ReaderChoices &choices);
