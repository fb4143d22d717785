#pragma once

#include <QLabel>

// A picture of the toolbar: shows its hint while the mouse rests on it and reports a click.
class ToolbarPicture : public QLabel
{
    Q_OBJECT

public:
    ToolbarPicture(const QPixmap &pixmap, const QString &hint, QWidget *parent);

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    bool m_pressed = false;
};
