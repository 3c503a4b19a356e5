#include "app/ListReorder.h"

#include "app/WholeNameTips.h"

#include <QMouseEvent>
#include <QPixmap>
#include <QTreeWidget>

namespace orvanta {

ListReorder::ListReorder(QTreeWidget *list, const QString &dragIconPath, QObject *parent)
    : QObject(parent)
    , m_list(list)
{
    const QPixmap icon(dragIconPath);
    if (!icon.isNull())
        m_dragCursor = QCursor(icon);
    m_list->viewport()->setMouseTracking(true);
    m_list->viewport()->installEventFilter(this);
}

bool ListReorder::eventFilter(QObject *, QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        pressed(static_cast<QMouseEvent *>(event)->position().toPoint());
        break;
    case QEvent::MouseMove: {
        const auto *move = static_cast<QMouseEvent *>(event);
        moved(move->position().toPoint(), qRound(move->globalPosition().y()));
        return m_dragActive; // no rubber-band selection while dragging
    }
    case QEvent::MouseButtonRelease:
        released();
        break;
    default:
        break;
    }
    return false;
}

void ListReorder::pressed(const QPoint &position)
{
    m_dragActive = true;
    QTreeWidgetItem *clicked = m_list->itemAt(position);
    if (!clicked)
        return;
    m_list->viewport()->setCursor(m_dragCursor.value_or(QCursor(Qt::ArrowCursor)));
    m_dragIndex = m_list->indexOfTopLevelItem(clicked);
}

void ListReorder::moved(const QPoint &position, int screenY)
{
    if (!m_dragActive)
        return;
    QTreeWidgetItem *under = m_list->itemAt(position);
    QTreeWidgetItem *dragged = m_list->topLevelItem(m_dragIndex);
    if (!under || !dragged || under->text(0) == dragged->text(0))
        return;
    for (const int role : {int(Qt::DisplayRole), kCellNoteRole}) { // a file's mark goes with it
        const QVariant draggedData = dragged->data(0, role);
        dragged->setData(0, role, under->data(0, role));
        under->setData(0, role, draggedData);
    }
    m_list->setCurrentItem(under);
    m_dragIndex = m_list->indexOfTopLevelItem(under);

    const int count = m_list->topLevelItemCount();
    if (screenY < kScrollUpBelow && m_dragIndex >= 1)
        m_list->scrollToItem(m_list->topLevelItem(m_dragIndex - 1));
    else if (screenY > kScrollDownAbove && m_dragIndex + 1 < count)
        m_list->scrollToItem(m_list->topLevelItem(m_dragIndex + 1));
}

void ListReorder::released()
{
    m_dragActive = false;
    m_list->viewport()->setCursor(Qt::ArrowCursor);
}

} // namespace orvanta
