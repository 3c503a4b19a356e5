#include "app/ElidedLabel.h"

#include <QHelpEvent>
#include <QPainter>
#include <QStyle>
#include <QToolTip>

namespace orvanta {

ElidedLabel::ElidedLabel(QWidget *parent)
    : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
}

QString ElidedLabel::shownText() const
{
    const int room = contentsRect().width() - 2 * margin() - 2 * indent();
    return fontMetrics().elidedText(text(), Qt::ElideMiddle, std::max(room, 0));
}

void ElidedLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRect room = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    style()->drawItemText(&painter, room, int(alignment()), palette(), isEnabled(), shownText(),
                          foregroundRole());
}

// The whole text shows as the tooltip only while it is elided; the label's own tip otherwise.
bool ElidedLabel::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip && isElided()) {
        QToolTip::showText(static_cast<QHelpEvent *>(event)->globalPos(), text(), this);
        return true;
    }
    return QLabel::event(event);
}

} // namespace orvanta
