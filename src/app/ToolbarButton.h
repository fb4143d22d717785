#pragma once

#include <QAbstractButton>
#include <QPixmap>

// A picture of the toolbar that is a real button: the mouse clicks it as before (press, let
// go over it), Tab reaches it, Space and Enter run it, and assistive technology sees a button
// named by its hint. It never takes the focus from a click, so the mouse sees no focus ring.
class ToolbarButton : public QAbstractButton
{
    Q_OBJECT

public:
    ToolbarButton(const QPixmap &pixmap, const QString &hint, QWidget *parent);

    const QPixmap &pixmap() const { return m_pixmap; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    QPixmap m_pixmap;
};
