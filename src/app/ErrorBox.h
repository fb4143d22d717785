#pragma once

#include <QString>

class QWidget;

// The caption of every box the reader shows: the executable's name up to its first ".",
// every letter after the first in lower case ("ZeltonReader" gives "Zeltonreader").
QString applicationTitle();
QString applicationTitleFor(const QString &executableFileName);

// The message as the standard error box shows it: a "." is added unless the message is
// empty or already ends in a character that sorts at or before ".".
QString withFullStop(const QString &message);

// A failure nobody expected: error icon, the application title, the message with its ".".
void showStandardErrorBox(QWidget *parent, const QString &message);

// A plain message of the reader (no icon, one OK button).
void showPlainMessage(QWidget *parent, const QString &text);
