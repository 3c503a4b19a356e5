#include "app/ResultsView.h"

#include "app/CutPhraseTips.h"
#include "results/ResultsFilterModel.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeView>

namespace orvanta {

QPushButton *createNamedButton(const char *name, const QString &caption, QWidget *parent)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    return button;
}

QTreeView *createResultsView(const char *name, ResultsFilterModel *model, QWidget *parent)
{
    auto *view = new QTreeView(parent);
    view->setObjectName(QLatin1String(name));
    view->setRootIsDecorated(false);
    view->setUniformRowHeights(true);
    view->setItemsExpandable(false);
    view->setAllColumnsShowFocus(true);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setModel(model);
    view->setItemDelegate(new CutPhraseTips(ResultsFilterModel::PhraseColumn, view));
    view->header()->setStretchLastSection(false);
    view->header()->setSectionResizeMode(ResultsFilterModel::PhraseColumn, QHeaderView::Stretch);
    view->setSortingEnabled(true);
    showKeynessColumns(view, false);
    return view;
}

void showKeynessColumns(QTreeView *view, bool shown)
{
    for (int column = ResultsFilterModel::TargetColumn;
         column <= ResultsFilterModel::LogRatioColumn; ++column)
        view->setColumnHidden(column, !shown);
}

QString shownRowsText(const ResultsFilterModel &model, const QString &rowsName)
{
    QString text =
        QStringLiteral("%1 of %2 %3").arg(model.rowCount()).arg(model.listedCount()).arg(rowsName);
    const QString hidden = hiddenRowsText(model.hidden());
    if (!hidden.isEmpty())
        text += QStringLiteral(" (%1)").arg(hidden);
    return text;
}

ShownRowsControls createShownRowsControls(const QString &prefix, QWidget *parent)
{
    ShownRowsControls controls{new QPushButton(QStringLiteral("Export Shown As CSV..."), parent),
                               new QPushButton(QStringLiteral("Export Shown As Excel..."), parent),
                               new QLabel(parent)};
    controls.csv->setObjectName(prefix + QStringLiteral("ExportCsv"));
    controls.workbook->setObjectName(prefix + QStringLiteral("ExportXlsx"));
    controls.status->setObjectName(prefix + QStringLiteral("Status"));
    return controls;
}

} // namespace orvanta
