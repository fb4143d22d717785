#pragma once

#include <QDomElement>
#include <QString>

struct InfoBlocks
{
    QString info;
    QString contacts;
};

// One organization-info element: replaces both blocks by its wrapped texts with the
// "<NADPIS>" heading marks styled. Throws ReaderError on a faulty element.
void organizationInfoStep(const QDomElement &element, const QString &fontSize, int style,
                          InfoBlocks &blocks);

// Replaces every `mark` (ignoring letter case, left to right, inserted text not scanned again).
QString replaceIgnoringCase(const QString &text, const QString &mark, const QString &replacement);
