#pragma once

#include <QCursor>
#include <QObject>

#include <optional>

class QTreeWidget;

namespace orvanta {

// Lets the user reorder the input list by pressing on an entry and dragging it up or down: the
// dragged text trades places with each entry the pointer passes over, and the list scrolls when
// the pointer is high or low on the screen. Only texts and their notes move; the entries stay.
class ListReorder : public QObject {
    Q_OBJECT
public:
    // The window applies its hover rule to the list itself.
    ListReorder(QTreeWidget *list, const QString &dragIconPath, QObject *parent = nullptr);

    // Screen rows above and below which a drag scrolls the list.
    static constexpr int kScrollUpBelow = 305;
    static constexpr int kScrollDownAbove = 364;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void pressed(const QPoint &position);
    void moved(const QPoint &position, int screenY);
    void released();

    QTreeWidget *m_list;
    std::optional<QCursor> m_dragCursor;
    bool m_dragActive = false;
    int m_dragIndex = -1;
};

} // namespace orvanta
