#pragma once

#include <QStyledItemDelegate>

namespace orvanta {

// Draws the context either side of a concordance phrase with the words that order the rows in
// their key's colour (results/OccurrencesModel.h). The words before the phrase are aligned to
// it and cut at their start, so the ones next to it stay in view.
class SortWordDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;
};

} // namespace orvanta
