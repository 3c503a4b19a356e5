#include "app/MeasuresBar.h"

#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QLabel>

namespace orvanta {

namespace {

constexpr int kDecimals = 4;

QDoubleSpinBox *createBound(const char *name, double most, double value, const QString &off,
                            QWidget *parent)
{
    auto *box = new QDoubleSpinBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setDecimals(kDecimals);
    box->setRange(0, most);
    box->setValue(value);
    box->setSpecialValueText(off);
    box->setAccelerated(true);
    box->setKeyboardTracking(false);
    return box;
}

} // namespace

MeasuresBar::MeasuresBar(QWidget *parent)
    : QWidget(parent)
{
    m_corpus = new QLabel(this);
    m_corpus->setObjectName(QStringLiteral("ExplorerCorpus"));
    m_corpus->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_minPerMillion = createBound("ExplorerMinPerMillion", 1e6, 0, QStringLiteral("any"), this);
    m_minPerMillion->setSingleStep(10);
    m_maxDispersion = createBound("ExplorerMaxDispersion", 1, 1, QString(), this);
    m_maxDispersion->setSingleStep(0.05);
    m_maxDispersion->setToolTip(QStringLiteral(
        "Deviation of proportions: 0 when the phrase is spread over the files like their words, "
        "near 1 when it sits in one small file."));

    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(m_corpus, 1);
    row->addWidget(new QLabel(QStringLiteral("Per million at least:"), this));
    row->addWidget(m_minPerMillion);
    row->addWidget(new QLabel(QStringLiteral("DP at most:"), this));
    row->addWidget(m_maxDispersion);
    for (QDoubleSpinBox *box : {m_minPerMillion, m_maxDispersion})
        connect(box, &QDoubleSpinBox::valueChanged, this, &MeasuresBar::filterChanged);
}

void MeasuresBar::setCorpus(const CorpusSize &corpus)
{
    m_corpus->setText(corpusSizeLine(corpus));
}

MeasureFilter MeasuresBar::filter() const
{
    return {m_minPerMillion->value(), m_maxDispersion->value()};
}

void MeasuresBar::clearBounds()
{
    m_minPerMillion->setValue(m_minPerMillion->minimum());
    m_maxDispersion->setValue(m_maxDispersion->maximum());
}

} // namespace orvanta
