#pragma once

#include <QStyledItemDelegate>

namespace orvanta {

// A short note a cell shows after its text, such as "(reference)" after a file's name; the
// cell's text itself stays as it was.
inline constexpr int kCellNoteRole = Qt::UserRole + 1;

// Draws a list's cells eliding in the middle, so a long file name keeps its end (the extension,
// the page, "(read by OCR)", a note) in sight; over a cell cut so, the tooltip is its whole text.
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
