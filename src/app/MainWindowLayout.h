#pragma once

#include <QRect>
#include <QSize>

#include <vector>

class QWidget;

namespace orvanta {

// Places the main window's controls at any window size. At the designed size every control is
// where it was designed to be. Two columns, each headed by its list, share extra width and
// shrink alike; a control takes its place and width in proportion to its column, or to its
// frame. Extra height goes to the lists, and what lies below a list moves down with it; below
// the designed height the lists give up height down to a few rows.
class MainWindowLayout {
public:
    explicit MainWindowLayout(QSize designed)
        : m_designed(designed)
    {
    }

    // A list heads the column its width spans. Add both lists before the other controls.
    void addList(QWidget *list);
    // A control at its designed geometry, in its parent: the window or a frame.
    void add(QWidget *control);

    // Room kept above the designed controls, for the menu bar.
    void setTop(int pixels) { m_top = pixels; }
    void apply(QSize size) const;
    QSize designedSize() const { return m_designed; }
    QSize minimumSize() const;

private:
    struct Column {
        QWidget *list;
        QRect designed;
    };
    struct Control {
        QWidget *widget;
        QRect designed;
        int column;
        bool inFrame;
    };

    int columnOf(const QRect &designed) const;
    double widthRatio(int column, int extraWidth) const;
    int columnLeft(int column, int extraWidth) const;
    QRect placed(const Control &control, int extraWidth, int extraHeight) const;

    QSize m_designed;
    int m_top = 0;
    std::vector<Column> m_columns;
    std::vector<Control> m_controls;
};

} // namespace orvanta
