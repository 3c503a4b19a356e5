#pragma once

// What the explorer's two lists, its phrases and its passages, are made of.

#include <QString>

class QLabel;
class QPushButton;
class QTreeView;
class QWidget;

namespace orvanta {

class ResultsFilterModel;

// "12 of 40 phrases", and what was hidden beyond the filter: "(3 inside longer ones hidden)".
QString shownRowsText(const ResultsFilterModel &model, const QString &rowsName);

QPushButton *createNamedButton(const char *name, const QString &caption, QWidget *parent);

// A list of results shown by `model`: one row per result, whole rows chosen, sortable by any
// column, the phrase column taking the spare width and a phrase it cuts off shown in full as its
// row's tooltip. The keyness columns are hidden until shown.
QTreeView *createResultsView(const char *name, ResultsFilterModel *model, QWidget *parent);
void showKeynessColumns(QTreeView *view, bool shown);

// The buttons that write out the rows a list shows, and the label that says how it went: named
// `prefix` + "ExportCsv", "ExportXlsx" and "Status".
struct ShownRowsControls {
    QPushButton *csv;
    QPushButton *workbook;
    QLabel *status;
};
ShownRowsControls createShownRowsControls(const QString &prefix, QWidget *parent);

} // namespace orvanta
