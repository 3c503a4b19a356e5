#pragma once

#include <QStyledItemDelegate>

namespace orvanta {

// Draws a list's cells eliding in the middle, so a long file name keeps its end (the extension,
// the page, "(read by OCR)") in sight; over a cell cut so, the tooltip is its whole text.
// Elsewhere the view's own tooltip shows.
class WholeNameTips final : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit WholeNameTips(QObject *parent);

    bool helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                   const QModelIndex &index) override;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;
};

} // namespace orvanta
