#include "statuslabel.h"

#include <QPainter>
#include <QStyle>

StatusLabel::StatusLabel(QWidget *parent) : QLabel(parent) {}

QSize StatusLabel::sizeHint() const
{
    // Only its height: the layout gives it the width there is.
    return QSize(0, QLabel::sizeHint().height());
}

QSize StatusLabel::minimumSizeHint() const
{
    return QSize(0, QLabel::minimumSizeHint().height());
}

void StatusLabel::paintEvent(QPaintEvent *event)
{
    QFrame::paintEvent(event);
    QPainter painter(this);
    const QRect room = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    const QString shown = fontMetrics().elidedText(text(), Qt::ElideMiddle, room.width());
    style()->drawItemText(&painter, room, int(alignment()), palette(), isEnabled(), shown,
                          foregroundRole());
}
