#include "app/ErrorBox.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMessageBox>

QString applicationTitleFor(const QString &executableFileName)
{
    const QString name = executableFileName.section(u'.', 0, 0);
    return name.left(1) + name.mid(1).toLower();
}

QString applicationTitle()
{
    return applicationTitleFor(QFileInfo(QCoreApplication::applicationFilePath()).fileName());
}

QString withFullStop(const QString &message)
{
    if (message.isEmpty() || message.back() <= u'.')
        return message;
    return message + u'.';
}

void showStandardErrorBox(QWidget *parent, const QString &message)
{
    QMessageBox box(QMessageBox::Critical, applicationTitle(), withFullStop(message), QMessageBox::Ok,
                    parent);
    box.exec();
}

void showPlainMessage(QWidget *parent, const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, applicationTitle(), text, QMessageBox::Ok, parent);
    box.exec();
}
