#include "app/MainWindowLayout.h"

#include <QWidget>

#include <algorithm>
#include <cmath>

namespace orvanta {

namespace {

// Below its designed width a column keeps this share, so every control stays usable.
constexpr double kNarrowestColumn = 0.6;
constexpr int kLowestListRows = 4;

int rounded(double value)
{
    return int(std::lround(value));
}

} // namespace

void MainWindowLayout::addList(QWidget *list)
{
    m_columns.push_back({list, list->geometry()});
    m_controls.push_back({list, list->geometry(), int(m_columns.size()) - 1, false});
}

void MainWindowLayout::add(QWidget *control)
{
    const bool inFrame = control->parentWidget() && control->parentWidget()->parentWidget();
    const QRect designed = control->geometry();
    const QRect inWindow =
        inFrame ? designed.translated(control->parentWidget()->geometry().topLeft()) : designed;
    m_controls.push_back({control, designed, columnOf(inWindow), inFrame});
}

int MainWindowLayout::columnOf(const QRect &designed) const
{
    for (size_t column = 0; column < m_columns.size(); ++column) {
        const QRect &list = m_columns[column].designed;
        if (designed.center().x() >= list.left() && designed.center().x() <= list.right())
            return int(column);
    }
    return 0;
}

// The extra width is shared out column by column, the last one taking what rounding leaves.
int MainWindowLayout::columnLeft(int column, int extraWidth) const
{
    const int share = extraWidth / int(m_columns.size());
    return m_columns[size_t(column)].designed.left() + share * column;
}

double MainWindowLayout::widthRatio(int column, int extraWidth) const
{
    const int share = extraWidth / int(m_columns.size());
    const bool last = column == int(m_columns.size()) - 1;
    const int width = m_columns[size_t(column)].designed.width();
    const int extra = last ? extraWidth - share * (int(m_columns.size()) - 1) : share;
    return double(width + extra) / width;
}

QRect MainWindowLayout::placed(const Control &control, int extraWidth, int extraHeight) const
{
    const QRect &d = control.designed;
    const double ratio = widthRatio(control.column, extraWidth);
    const int origin = control.inFrame ? 0 : m_columns[size_t(control.column)].designed.left();
    const int start = control.inFrame ? 0 : columnLeft(control.column, extraWidth);
    const int left = start + rounded((d.left() - origin) * ratio);
    const int right = start + rounded((d.left() + d.width() - origin) * ratio);
    if (control.inFrame)
        return {left, d.top(), right - left, d.height()};
    const QRect &list = m_columns[size_t(control.column)].designed;
    if (control.widget == m_columns[size_t(control.column)].list)
        return {left, d.top(), right - left, d.height() + extraHeight};
    const int top = d.top() >= list.bottom() ? d.top() + extraHeight : d.top();
    return {left, top, right - left, d.height()};
}

void MainWindowLayout::apply(QSize size) const
{
    const QSize least = minimumSize();
    const int extraWidth = std::max(size.width(), least.width()) - m_designed.width();
    const int extraHeight = std::max(size.height(), least.height()) - m_top - m_designed.height();
    for (const Control &control : m_controls) {
        const QRect place = placed(control, extraWidth, extraHeight);
        control.widget->setGeometry(control.inFrame ? place : place.translated(0, m_top));
    }
}

QSize MainWindowLayout::minimumSize() const
{
    int width = m_designed.width();
    int shrink = m_designed.height();
    for (const Column &column : m_columns) {
        width -= rounded(column.designed.width() * (1 - kNarrowestColumn));
        const int lowest = kLowestListRows * column.list->fontMetrics().height();
        shrink = std::min(shrink, std::max(column.designed.height() - lowest, 0));
    }
    return {width, m_top + m_designed.height() - shrink};
}

} // namespace orvanta
