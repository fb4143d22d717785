#pragma once

#include <QApplication>
#include <QDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPointer>
#include <QStringList>
#include <QTimer>

#include <functional>

// Answers the reader's modal boxes while a test drives the window: message boxes are
// recorded (caption, icon, text) and closed; input boxes get the next prepared answer.
class ModalWatcher : public QObject
{
public:
    struct Box
    {
        QString caption;
        QString text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
    };

    ModalWatcher()
    {
        connect(&m_timer, &QTimer::timeout, this, [this] { answer(); });
        m_timer.start(20);
    }

    // Answers for input boxes, in order; an empty text cancels the box.
    QStringList inputAnswers;
    QList<Box> boxes;
    QStringList inputCaptions;

    QStringList texts() const
    {
        QStringList result;
        for (const Box &box : boxes)
            result << box.text;
        return result;
    }

private:
    void answer()
    {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        if (auto *box = qobject_cast<QMessageBox *>(modal)) {
            boxes.append({box->windowTitle(), box->text(), box->icon()});
            box->accept();
        } else if (auto *input = qobject_cast<QInputDialog *>(modal)) {
            inputCaptions << input->windowTitle() + u'|' + input->labelText();
            const QString next = inputAnswers.isEmpty() ? QString() : inputAnswers.takeFirst();
            if (next.isEmpty()) {
                input->reject();
            } else {
                input->setTextValue(next);
                input->accept();
            }
        }
    }

    QTimer m_timer;
};
