#include "results/OccurrencesModel.h"

#include <QBrush>
#include <QFileInfo>
#include <QFont>

#include <algorithm>
#include <set>

namespace orvanta {

OccurrencesModel::OccurrencesModel(QObject *parent)
    : QAbstractTableModel(parent)
{
}

void OccurrencesModel::setOccurrences(Occurrences found, QStringList paths)
{
    beginResetModel();
    m_found = std::move(found);
    m_paths = std::move(paths);
    applyOrder();
    endResetModel();
}

void OccurrencesModel::setOrder(std::vector<ConcordanceKey> keys, const TextOptions &options)
{
    if (keys.size() > size_t(kMaxSortKeys))
        keys.resize(size_t(kMaxSortKeys));
    beginResetModel();
    m_keys = std::move(keys);
    m_options = options;
    applyOrder();
    endResetModel();
}

void OccurrencesModel::applyOrder()
{
    m_rows = concordanceOrder(m_found.found, m_paths, m_keys, Qt::AscendingOrder,
                              ContextWords(m_options));
}

std::vector<OccurrencesModel::SortWord> OccurrencesModel::sortWordsAt(int row) const
{
    std::vector<SortWord> words;
    const ContextWords context(m_options);
    for (size_t key = 0; key < m_keys.size(); ++key) {
        if (const std::optional<ContextWord> word = context.wordOf(occurrenceAt(row), m_keys[key]))
            words.push_back({*word, int(key)});
    }
    return words;
}

// Red, green and blue, dark enough to read on white and on the selection.
QColor OccurrencesModel::sortWordColour(int key)
{
    static const QColor kColours[kMaxSortKeys] = {
        QColor(0xc0, 0x00, 0x00), QColor(0x00, 0x80, 0x00), QColor(0x00, 0x40, 0xd0)};
    return kColours[std::clamp(key, 0, kMaxSortKeys - 1)];
}

std::vector<ConcordanceLine> OccurrencesModel::linesShown() const
{
    std::vector<ConcordanceLine> lines;
    lines.reserve(m_rows.size());
    for (int row = 0; row < rowCount(); ++row)
        lines.push_back(concordanceLine(occurrenceAt(row), m_paths));
    return lines;
}

void OccurrencesModel::clear()
{
    setOccurrences({}, {});
}

QString OccurrencesModel::pathAt(int row) const
{
    return m_paths.value(occurrenceAt(row).source);
}

// Counted in text order, whatever the order shown.
int OccurrencesModel::placeOnPage(int row) const
{
    const size_t at = size_t(m_rows[size_t(row)]);
    const Occurrence &occurrence = m_found.found[at];
    int place = 0;
    for (size_t earlier = at; earlier-- > 0; ++place) {
        const Occurrence &other = m_found.found[earlier];
        if (other.source != occurrence.source || other.page != occurrence.page)
            break;
    }
    return place;
}

int OccurrencesModel::fileCount() const
{
    std::set<int> sources;
    for (const Occurrence &occurrence : m_found.found)
        sources.insert(occurrence.source);
    return int(sources.size());
}

int OccurrencesModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int OccurrencesModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(ColumnCount);
}

QString OccurrencesModel::cellText(const Occurrence &occurrence, int column) const
{
    switch (column) {
    case FileColumn:
        return QFileInfo(m_paths.value(occurrence.source)).fileName() +
               (occurrence.recognised ? QStringLiteral(" (read by OCR)") : QString());
    case PageColumn:
        return QString::number(occurrence.page);
    case LineColumn:
        return QString::number(occurrence.line);
    case BeforeColumn:
        return occurrence.before;
    case PhraseColumn:
        return occurrence.phrase;
    case AfterColumn:
        return occurrence.after;
    default:
        return {};
    }
}

// A phrase may run on over a line or page break; the tooltip says where it ends, and whether
// text recognition read its page.
QString OccurrencesModel::placeText(const Occurrence &occurrence) const
{
    QString place = QStringLiteral("%1\npage %2, line %3")
                        .arg(m_paths.value(occurrence.source))
                        .arg(occurrence.page)
                        .arg(occurrence.line);
    if (occurrence.lastPage != occurrence.page)
        place += QStringLiteral(" to page %1, line %2")
                     .arg(occurrence.lastPage)
                     .arg(occurrence.lastLine);
    else if (occurrence.lastLine != occurrence.line)
        place += QStringLiteral(" to line %1").arg(occurrence.lastLine);
    if (occurrence.recognised)
        place += QStringLiteral("\nRead by OCR from a scanned page: its words may be wrong.");
    return place;
}

QVariant OccurrencesModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.model() != this || index.row() >= rowCount() ||
        index.column() >= ColumnCount)
        return {};
    const Occurrence &occurrence = occurrenceAt(index.row());
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole:
        return cellText(occurrence, column);
    case Qt::ToolTipRole:
        if (column <= LineColumn)
            return placeText(occurrence);
        return occurrence.before + QStringLiteral(" [") + occurrence.phrase + QStringLiteral("] ") +
               occurrence.after;
    case Qt::TextAlignmentRole:
        if (column == BeforeColumn || column == PageColumn || column == LineColumn)
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    case Qt::FontRole:
        if (column == PhraseColumn) {
            QFont bold;
            bold.setBold(true);
            return bold;
        }
        return {};
    case Qt::BackgroundRole:
        if (column == PhraseColumn)
            return QBrush(QColor(255, 236, 140));
        return {};
    case Qt::ForegroundRole:
        if (column == PhraseColumn)
            return QBrush(Qt::black);
        return {};
    default:
        return {};
    }
}

QVariant OccurrencesModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    static const char *const kHeaders[] = {"File", "Page", "Line", "Before", "Phrase", "After"};
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= ColumnCount)
        return {};
    return QLatin1String(kHeaders[section]);
}

} // namespace orvanta
