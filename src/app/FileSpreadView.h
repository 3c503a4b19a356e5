#pragma once

#include "results/DispersionPlot.h"

#include <QWidget>

#include <cstdint>
#include <vector>

class QLabel;
class QPushButton;
class QScrollArea;
class QTreeView;

namespace orvanta {

class DialogService;
class ExportFlow;
class FileSpreadModel;
class PlotCanvas;

// "By file": the current phrase's frequency and per million words in each file it occurs in,
// and its dispersion plot, whose ticks open the page of their occurrence; the plot is exported
// as PNG or SVG.
class FileSpreadView final : public QWidget {
    Q_OBJECT
public:
    FileSpreadView(DialogService &dialogs, QString title, QWidget *parent = nullptr);

    // The counted words of each file of the run.
    void setFileWords(std::vector<std::uint64_t> wordsByFile);
    // The occurrences of the phrase, as "Where it occurs" found them in `paths`.
    void setOccurrences(const Occurrences &found, const QStringList &paths);
    const DispersionPlot &plot() const;
    FileSpreadModel &table() { return *m_model; }
    // Chooses the occurrence whose tick is at `point` of the plot, as a click does.
    void clickPlot(QPoint point);

signals:
    // As OccurrencePanel::occurrenceChosen.
    void occurrenceChosen(const QString &path, int page, const QString &phrase, int place);

private:
    void exportPlot(bool svg);

    DialogService &m_dialogs;
    QString m_title;
    FileSpreadModel *m_model = nullptr;
    QTreeView *m_table = nullptr;
    PlotCanvas *m_canvas = nullptr;
    QScrollArea *m_scroll = nullptr;
    QPushButton *m_png = nullptr;
    QPushButton *m_svg = nullptr;
    ExportFlow *m_flow = nullptr;
    std::vector<std::uint64_t> m_wordsByFile;
};

} // namespace orvanta
