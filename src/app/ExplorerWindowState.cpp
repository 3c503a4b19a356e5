// The explorer's filter and sort, as a project keeps them.

#include "app/ExplorerWindow.h"

#include "app/KeynessBar.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QSpinBox>
#include <QTreeView>

namespace orvanta {

ExplorerState ExplorerWindow::state() const
{
    const QHeaderView *header = m_view->header();
    return {m_filterText->text(),
            m_regularExpression->isChecked(),
            m_minFrequency->value(),
            m_minFiles->value(),
            header->isSortIndicatorShown() ? header->sortIndicatorSection() : -1,
            header->sortIndicatorOrder() == Qt::DescendingOrder,
            int(m_keyness->presence())};
}

void ExplorerWindow::setState(const ExplorerState &state)
{
    m_filterText->setText(state.filter);
    m_regularExpression->setChecked(state.regularExpression);
    m_minFrequency->setValue(state.leastFrequency);
    m_minFiles->setValue(state.leastFiles);
    m_keyness->setPresence(SetPresence(state.presence));
    if (state.sortColumn >= 0)
        m_view->sortByColumn(state.sortColumn,
                             state.descending ? Qt::DescendingOrder : Qt::AscendingOrder);
    applyFilter();
}

} // namespace orvanta
