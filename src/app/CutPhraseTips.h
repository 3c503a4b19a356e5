#pragma once

#include <QStyledItemDelegate>

namespace orvanta {

// Draws a list's cells as usual; over a row whose phrase its column cuts off, the tooltip is
// that phrase in full. Elsewhere the view's own tooltip shows.
class CutPhraseTips final : public QStyledItemDelegate {
    Q_OBJECT
public:
    CutPhraseTips(int phraseColumn, QObject *parent);

    bool helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                   const QModelIndex &index) override;

private:
    bool isCut(const QAbstractItemView *view, const QStyleOptionViewItem &rowOption,
               const QModelIndex &phrase) const;

    int m_phraseColumn;
};

} // namespace orvanta
