#pragma once

#include <QLabel>

// The window's status line: a text too wide for it is shown elided in the middle (a mod's name
// can be long), so that it never widens the window; the whole text is in its tool tip.
class StatusLabel : public QLabel
{
    Q_OBJECT

public:
    explicit StatusLabel(QWidget *parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
};
