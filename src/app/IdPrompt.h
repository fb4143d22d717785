#pragma once

#include <QString>

class QWidget;

// Asks for the organization ID; the typed text as it is, or empty when cancelled.
QString askForOrganizationId(QWidget *parent);
