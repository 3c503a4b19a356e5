#include "app/WholeNameTips.h"

#include <QAbstractItemView>
#include <QHelpEvent>
#include <QToolTip>

namespace orvanta {

WholeNameTips::WholeNameTips(QObject *parent)
    : QStyledItemDelegate(parent)
{
}

void WholeNameTips::initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    option->textElideMode = Qt::ElideMiddle;
    const QString note = index.data(kCellNoteRole).toString();
    if (!note.isEmpty())
        option->text += QLatin1Char(' ') + note;
}

bool WholeNameTips::helpEvent(QHelpEvent *event, QAbstractItemView *view,
                              const QStyleOptionViewItem &option, const QModelIndex &index)
{
    if (event->type() == QEvent::ToolTip && index.isValid()) {
        QStyleOptionViewItem cell = option;
        initStyleOption(&cell, index);
        const QStyle *style = view->style();
        const QRect textRect = style->subElementRect(QStyle::SE_ItemViewItemText, &cell, view);
        // The style keeps this margin on either side of the text it draws.
        const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, &cell, view) + 1;
        if (cell.fontMetrics.horizontalAdvance(cell.text) + 2 * margin > textRect.width()) {
            QToolTip::showText(event->globalPos(), cell.text, view->viewport(),
                               view->visualRect(index));
            return true;
        }
    }
    return QStyledItemDelegate::helpEvent(event, view, option, index);
}

} // namespace orvanta
