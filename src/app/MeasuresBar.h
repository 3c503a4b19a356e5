#pragma once

#include "results/ResultMeasures.h"

#include <QWidget>

class QDoubleSpinBox;
class QLabel;

namespace orvanta {

// Above the explorer's phrases: the size of the corpus the last run counted, and the bounds on
// per million (at least) and DP (at most), off until set.
class MeasuresBar final : public QWidget {
    Q_OBJECT
public:
    explicit MeasuresBar(QWidget *parent = nullptr);

    void setCorpus(const CorpusSize &corpus);
    MeasureFilter filter() const;
    // Both bounds off.
    void clearBounds();

signals:
    void filterChanged();

private:
    QLabel *m_corpus = nullptr;
    QDoubleSpinBox *m_minPerMillion = nullptr;
    QDoubleSpinBox *m_maxDispersion = nullptr;
};

} // namespace orvanta
