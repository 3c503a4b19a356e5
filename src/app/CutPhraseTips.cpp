#include "app/CutPhraseTips.h"

#include <QAbstractItemView>
#include <QHelpEvent>
#include <QToolTip>

namespace orvanta {

CutPhraseTips::CutPhraseTips(int phraseColumn, QObject *parent)
    : QStyledItemDelegate(parent)
    , m_phraseColumn(phraseColumn)
{
}

bool CutPhraseTips::helpEvent(QHelpEvent *event, QAbstractItemView *view,
                              const QStyleOptionViewItem &option, const QModelIndex &index)
{
    if (event->type() == QEvent::ToolTip && index.isValid()) {
        const QModelIndex phrase = index.siblingAtColumn(m_phraseColumn);
        if (isCut(view, option, phrase)) {
            QToolTip::showText(event->globalPos(), phrase.data().toString().trimmed(),
                               view->viewport(), view->visualRect(index));
            return true;
        }
    }
    return QStyledItemDelegate::helpEvent(event, view, option, index);
}

bool CutPhraseTips::isCut(const QAbstractItemView *view, const QStyleOptionViewItem &rowOption,
                          const QModelIndex &phrase) const
{
    QStyleOptionViewItem cell = rowOption;
    cell.rect = view->visualRect(phrase);
    initStyleOption(&cell, phrase);
    const QStyle *style = view->style();
    const QRect textRect = style->subElementRect(QStyle::SE_ItemViewItemText, &cell, view);
    // The style keeps this margin on either side of the text it draws.
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, &cell, view) + 1;
    return cell.fontMetrics.horizontalAdvance(cell.text) + 2 * margin > textRect.width();
}

} // namespace orvanta
