#include "app/IdPrompt.h"

#include "app/ErrorBox.h"
#include "common/Texts.h"

#include <QInputDialog>

QString askForOrganizationId(QWidget *parent)
{
    QInputDialog dialog(parent);
    dialog.setWindowTitle(Texts::IdBoxCaption);
    dialog.setLabelText(Texts::IdBoxPrompt);
    dialog.setTextValue(QString());
    dialog.setInputMode(QInputDialog::TextInput);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.textValue();
}
