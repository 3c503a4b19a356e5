#include "app/SortWordDelegate.h"

#include "results/OccurrencesModel.h"

#include <QApplication>
#include <QPainter>
#include <QTextLayout>

namespace orvanta {

namespace {

bool isBefore(const QModelIndex &index)
{
    return index.column() == OccurrencesModel::BeforeColumn;
}

QList<QTextLayout::FormatRange> sortWordFormats(const QModelIndex &index)
{
    QList<QTextLayout::FormatRange> formats;
    const auto *model = qobject_cast<const OccurrencesModel *>(index.model());
    if (model == nullptr || index.row() >= model->rowCount())
        return formats;
    for (const OccurrencesModel::SortWord &word : model->sortWordsAt(index.row())) {
        if (word.word.after == isBefore(index))
            continue;
        QTextCharFormat format;
        format.setForeground(OccurrencesModel::sortWordColour(word.key));
        format.setFontWeight(QFont::Bold);
        formats.append({int(word.word.start), int(word.word.length), format});
    }
    return formats;
}

} // namespace

void SortWordDelegate::initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    if (isBefore(index))
        option->textElideMode = Qt::ElideLeft;
}

void SortWordDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                             const QModelIndex &index) const
{
    const QList<QTextLayout::FormatRange> formats = sortWordFormats(index);
    if (formats.isEmpty()) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    const QString text = item.text;
    item.text.clear();
    const QWidget *widget = item.widget;
    QStyle *style = widget != nullptr ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &item, painter, widget);

    QTextLayout layout(text, item.font);
    QTextOption noWrap;
    noWrap.setWrapMode(QTextOption::NoWrap);
    layout.setTextOption(noWrap);
    layout.setFormats(formats);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setLineWidth(1e6);
    layout.endLayout();

    const QRect area = style->subElementRect(QStyle::SE_ItemViewItemText, &item, widget);
    const qreal width = line.naturalTextWidth();
    const qreal left = isBefore(index) ? area.right() + 1 - width : area.left();
    const qreal top = area.top() + (area.height() - line.height()) / 2;
    const bool selected = item.state.testFlag(QStyle::State_Selected);
    painter->save();
    painter->setClipRect(area);
    painter->setPen(item.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    layout.draw(painter, QPointF(left, top));
    painter->restore();
}

} // namespace orvanta
