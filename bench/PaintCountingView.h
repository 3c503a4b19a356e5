#pragma once

// A tree view that counts its paints, so a window benchmark can time a change until the rows
// it brings are on screen.

#include <QApplication>
#include <QElapsedTimer>
#include <QTreeView>

#include <cstdio>
#include <cstdlib>

namespace orvanta::bench {

class PaintCountingView : public QTreeView {
public:
    int paints() const { return m_paints; }

protected:
    void paintEvent(QPaintEvent *event) override
    {
        QTreeView::paintEvent(event);
        ++m_paints;
    }

private:
    int m_paints = 0;
};

inline void waitForPaint(const PaintCountingView &view, int paintsBefore)
{
    QElapsedTimer waited;
    waited.start();
    while (view.paints() == paintsBefore) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
        if (waited.elapsed() > 60'000) {
            std::fprintf(stderr, "the view did not paint within 60 s\n");
            std::exit(1);
        }
    }
}

inline double secondsOf(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e9;
}

} // namespace orvanta::bench
