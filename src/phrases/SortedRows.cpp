#include "phrases/SortedRows.h"

#include <algorithm>
#include <numeric>

namespace orvanta::detail {

namespace {

// A row in a run: the phrase's length in bytes, its words, frequency and files, then the phrase.
constexpr std::size_t kRowHeader = 4 * sizeof(std::uint32_t);

// Reservations are only address space until rows fill them; this keeps them within reason when
// the budget is large.
constexpr std::uint64_t kMostReserved = std::uint64_t(4) << 30;

void appendRow(SpillFile &to, const RowView &row)
{
    const std::uint32_t header[4] = {std::uint32_t(row.phrase.size()), std::uint32_t(row.wordCount),
                                     std::uint32_t(row.frequency), std::uint32_t(row.files)};
    to.append(header, sizeof header);
    to.append(row.phrase.data(), row.phrase.size());
}

RowView rowOf(const PhraseResults &results, std::uint32_t index)
{
    const auto row = qsizetype(index);
    return {results.phraseUtf8(row), results.wordCount(row), results.frequency(row),
            results.files(row)};
}

} // namespace

namespace {

// Reads a run's rows one after the other; each row stays valid until the next is read.
class RunCursor {
public:
    RunCursor(const SpillFile &file, std::size_t bufferBytes)
        : m_reader(file, bufferBytes)
    {
    }

    bool advance()
    {
        const char *header = m_reader.take(kRowHeader);
        if (!header)
            return false;
        std::uint32_t fields[4];
        std::memcpy(fields, header, sizeof fields);
        const char *phrase = m_reader.take(fields[0]);
        if (!phrase)
            return false;
        m_row = {std::string_view(phrase, fields[0]), int(fields[1]), int(fields[2]),
                 int(fields[3])};
        return true;
    }
    const RowView &row() const { return m_row; }
    Status status() const { return m_reader.status(); }

private:
    SpillReader m_reader;
    RowView m_row;
};

} // namespace

SortedRows::SortedRows(const SpillFolder &folder, RowSelection selection, std::uint64_t budgetBytes,
                       std::size_t bufferBytes, int mergeWidth)
    : m_folder(folder)
    , m_selection(selection)
    , m_budget(std::max<std::uint64_t>(budgetBytes, 1))
    , m_bufferBytes(bufferBytes)
    , m_mergeWidth(std::size_t(std::max(mergeWidth, 2)))
{
    startBuffer();
}

SortedRows::~SortedRows() = default;

void SortedRows::startBuffer()
{
    const std::uint64_t reserved = std::min(m_budget, kMostReserved);
    m_buffer = PhraseResults();
    m_buffer.reserve(std::size_t(reserved / (kBytesPerRow + 1)), std::size_t(reserved));
    m_bufferedBytes = 0;
}

Status SortedRows::add(std::string_view phrase, int wordCount, int frequency, int files)
{
    if (!reachesMinimums({phrase, wordCount, frequency, files}, m_selection))
        return {};
    m_buffer.append(phrase, wordCount, frequency, files);
    m_bufferedBytes += phrase.size() + kBytesPerRow;
    return m_bufferedBytes < m_budget ? Status() : spillBuffer();
}

LargeArray<std::uint32_t> SortedRows::bufferOrder() const
{
    if (m_selection.order == RowOrder::Frequency) {
        LargeArray<std::uint32_t> order = m_buffer.displayOrder();
        if (m_selection.reverse)
            std::reverse(order.begin(), order.end());
        return order;
    }
    LargeArray<std::uint32_t> order(std::size_t(m_buffer.size()));
    std::iota(order.begin(), order.end(), 0u);
    std::sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
        return comesBefore(rowOf(m_buffer, a), rowOf(m_buffer, b), m_selection);
    });
    return order;
}

Status SortedRows::spillBuffer()
{
    Result<Descriptor> fd = m_folder.newFile();
    if (!fd.ok())
        return Failure{fd.error()};
    auto file = std::make_unique<SpillFile>(std::move(fd).value(), m_folder, m_bufferBytes);
    for (const std::uint32_t row : bufferOrder())
        appendRow(*file, rowOf(m_buffer, row));
    if (const Status written = file->finishWriting(); !written.ok())
        return written;
    m_runs.push_back(std::move(file));
    startBuffer();
    return {};
}

// Merges the first runs into one until few enough are left to merge at once.
Status SortedRows::mergeDown(std::stop_token stop)
{
    while (m_runs.size() > m_mergeWidth) {
        Result<Descriptor> fd = m_folder.newFile();
        if (!fd.ok())
            return Failure{fd.error()};
        auto merged = std::make_unique<SpillFile>(std::move(fd).value(), m_folder, m_bufferBytes);
        const std::span<const std::unique_ptr<SpillFile>> first(m_runs.data(), m_mergeWidth);
        const Status status = merge(
            first,
            [&](const RowView &row) {
                appendRow(*merged, row);
                return !merged->failed();
            },
            stop);
        if (!status.ok())
            return status;
        if (const Status written = merged->finishWriting(); !written.ok())
            return written;
        m_runs.erase(m_runs.begin(), m_runs.begin() + std::ptrdiff_t(m_mergeWidth));
        m_runs.push_back(std::move(merged));
    }
    return {};
}

Status SortedRows::merge(std::span<const std::unique_ptr<SpillFile>> runs,
                         const RowConsumer &consumer, std::stop_token stop)
{
    std::vector<std::unique_ptr<RunCursor>> cursors;
    std::vector<RunCursor *> heap;
    for (const std::unique_ptr<SpillFile> &run : runs) {
        cursors.push_back(std::make_unique<RunCursor>(*run, m_bufferBytes));
        if (cursors.back()->advance())
            heap.push_back(cursors.back().get());
        else if (const Status read = cursors.back()->status(); !read.ok())
            return read;
    }
    // std::push_heap keeps the greatest first: "greater" puts the row that comes first on top.
    const auto later = [this](const RunCursor *a, const RunCursor *b) {
        return comesBefore(b->row(), a->row(), m_selection);
    };
    std::make_heap(heap.begin(), heap.end(), later);
    for (std::size_t handed = 0; !heap.empty(); ++handed) {
        if ((handed & 0xffff) == 0 && stop.stop_requested())
            return Failure{QStringLiteral("The count was stopped.")};
        std::pop_heap(heap.begin(), heap.end(), later);
        RunCursor *next = heap.back();
        if (!consumer(next->row()))
            return {};
        if (next->advance()) {
            std::push_heap(heap.begin(), heap.end(), later);
        } else {
            heap.pop_back();
            if (const Status read = next->status(); !read.ok())
                return read;
        }
    }
    return {};
}

Status SortedRows::handOver(const RowConsumer &consumer, std::stop_token stop)
{
    qsizetype handed = 0;
    const auto upToTop = [&](const RowView &row) {
        if (m_selection.top >= 0 && handed >= m_selection.top)
            return false;
        ++handed;
        return consumer(row);
    };
    if (m_runs.empty()) {
        for (const std::uint32_t row : bufferOrder()) {
            if (!upToTop(rowOf(m_buffer, row)))
                break;
        }
        return {};
    }
    if (m_buffer.size() > 0) {
        if (const Status spilled = spillBuffer(); !spilled.ok())
            return spilled;
    }
    m_buffer = PhraseResults();
    if (const Status merged = mergeDown(stop); !merged.ok())
        return merged;
    return merge(m_runs, upToTop, stop);
}

} // namespace orvanta::detail
