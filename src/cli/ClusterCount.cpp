#include "cli/ClusterCount.h"

#include "run/BoundedCount.h"

#include <QFileInfo>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <numeric>

namespace orvanta {

namespace {

// Each process counts within this much memory unless --memory-limit says otherwise.
constexpr std::uint64_t kDefaultMemoryLimit = std::uint64_t(2) << 30;
// Rows travel to the first process in pieces of about this size.
constexpr qsizetype kRowPieceBytes = qsizetype(4) << 20;
constexpr int kRowsTag = 33;

void appendNumber(QByteArray &bytes, std::uint32_t number)
{
    bytes.append(reinterpret_cast<const char *>(&number), sizeof number);
}

// Reads what appendNumber wrote at `at`, moving past it.
std::uint32_t takeNumber(const QByteArray &bytes, qsizetype &at)
{
    std::uint32_t number = 0;
    std::memcpy(&number, bytes.constData() + at, sizeof number);
    at += qsizetype(sizeof number);
    return number;
}

void appendText(QByteArray &bytes, QByteArrayView text)
{
    appendNumber(bytes, std::uint32_t(text.size()));
    bytes.append(text);
}

QByteArrayView takeText(const QByteArray &bytes, qsizetype &at)
{
    const qsizetype size = takeNumber(bytes, at);
    const QByteArrayView text(bytes.constData() + at, size);
    at += size;
    return text;
}

void appendRow(QByteArray &bytes, const RowView &row)
{
    appendText(bytes, QByteArrayView(row.phrase.data(), qsizetype(row.phrase.size())));
    appendNumber(bytes, std::uint32_t(row.wordCount));
    appendNumber(bytes, std::uint32_t(row.frequency));
    appendNumber(bytes, std::uint32_t(row.files));
}

RowView takeRow(const QByteArray &bytes, qsizetype &at)
{
    const QByteArrayView phrase = takeText(bytes, at);
    RowView row;
    row.phrase = std::string_view(phrase.data(), std::size_t(phrase.size()));
    row.wordCount = int(takeNumber(bytes, at));
    row.frequency = int(takeNumber(bytes, at));
    row.files = int(takeNumber(bytes, at));
    return row;
}

void sendPiece(const QByteArray &piece, MPI_Comm comm)
{
    MPI_Send(piece.constData(), int(piece.size()), MPI_BYTE, 0, kRowsTag, comm);
}

// The rows of one process, read piece by piece as the merge needs them.
class RowStream {
public:
    RowStream(int source, MPI_Comm comm)
        : m_source(source)
        , m_comm(comm)
    {
    }
    // The rows of the first process, all there already.
    explicit RowStream(QByteArray rows)
        : m_piece(std::move(rows))
        , m_ended(true)
    {
    }

    // The next row, or false at the end.
    bool next()
    {
        while (m_at >= m_piece.size()) {
            if (m_ended)
                return m_has = false;
            receive();
        }
        m_row = takeRow(m_piece, m_at);
        return m_has = true;
    }
    bool has() const { return m_has; }
    const RowView &row() const { return m_row; }
    void drain()
    {
        while (!m_ended)
            receive();
        m_has = false;
    }

private:
    void receive()
    {
        MPI_Status status;
        MPI_Probe(m_source, kRowsTag, m_comm, &status);
        int size = 0;
        MPI_Get_count(&status, MPI_BYTE, &size);
        m_piece.resize(size);
        MPI_Recv(m_piece.data(), size, MPI_BYTE, m_source, kRowsTag, m_comm, MPI_STATUS_IGNORE);
        m_at = 0;
        m_ended = size == 0;
    }

    int m_source = 0;
    MPI_Comm m_comm = MPI_COMM_NULL;
    QByteArray m_piece;
    qsizetype m_at = 0;
    bool m_ended = false;
    bool m_has = false;
    RowView m_row;
};

// On the first process: its own rows and those the others send, merged in the selection's order.
class MergedRows final : public RowSource {
public:
    MergedRows(std::shared_ptr<BoundedCount> count, MPI_Comm comm, int processes,
               std::function<void(const QString &)> fail)
        : m_count(std::move(count))
        , m_comm(comm)
        , m_processes(processes)
        , m_fail(std::move(fail))
    {
    }
    ~MergedRows() override
    {
        // The others send their rows whether or not they are printed.
        for (int source = 1; source < m_processes && !m_handedOver; ++source)
            RowStream(source, m_comm).drain();
    }

    Status handOver(const RowSelection &selection, const RowConsumer &consumer,
                    std::stop_token stop) override
    {
        m_handedOver = true;
        QByteArray own;
        const Status counted = m_count->handOver(
            selection,
            [&](const RowView &row) {
                appendRow(own, row);
                return true;
            },
            stop);
        if (!counted.ok())
            m_fail(counted.error());
        std::vector<RowStream> streams;
        streams.emplace_back(std::move(own));
        for (int source = 1; source < m_processes; ++source)
            streams.emplace_back(source, m_comm);
        for (RowStream &stream : streams)
            stream.next();
        const Status merged = merge(streams, selection, consumer, stop);
        for (RowStream &stream : streams)
            stream.drain();
        return merged;
    }

private:
    static Status merge(std::vector<RowStream> &streams, const RowSelection &selection,
                        const RowConsumer &consumer, std::stop_token stop)
    {
        for (qsizetype handed = 0; selection.top < 0 || handed < selection.top; ++handed) {
            if (stop.stop_requested())
                return Failure{QStringLiteral("stopped")};
            RowStream *first = nullptr;
            for (RowStream &stream : streams) {
                if (stream.has() && (!first || comesBefore(stream.row(), first->row(), selection)))
                    first = &stream;
            }
            if (!first || !consumer(first->row()))
                break;
            first->next();
        }
        return {};
    }

    std::shared_ptr<BoundedCount> m_count;
    MPI_Comm m_comm;
    int m_processes;
    std::function<void(const QString &)> m_fail;
    bool m_handedOver = false;
};

// On every other process: its rows, sent to the first in pieces, then an empty piece.
class SentRows final : public RowSource {
public:
    SentRows(std::shared_ptr<BoundedCount> count, MPI_Comm comm,
             std::function<void(const QString &)> fail)
        : m_count(std::move(count))
        , m_comm(comm)
        , m_fail(std::move(fail))
    {
    }
    ~SentRows() override
    {
        if (!m_handedOver)
            sendPiece({}, m_comm);
    }

    Status handOver(const RowSelection &selection, const RowConsumer &,
                    std::stop_token stop) override
    {
        m_handedOver = true;
        QByteArray piece;
        const Status counted = m_count->handOver(
            selection,
            [&](const RowView &row) {
                appendRow(piece, row);
                if (piece.size() >= kRowPieceBytes) {
                    sendPiece(piece, m_comm);
                    piece.clear();
                }
                return true;
            },
            stop);
        if (!counted.ok())
            m_fail(counted.error());
        if (!piece.isEmpty())
            sendPiece(piece, m_comm);
        sendPiece({}, m_comm);
        return {};
    }

private:
    std::shared_ptr<BoundedCount> m_count;
    MPI_Comm m_comm;
    std::function<void(const QString &)> m_fail;
    bool m_handedOver = false;
};

QString hostName()
{
    char name[MPI_MAX_PROCESSOR_NAME] = {};
    int length = 0;
    MPI_Get_processor_name(name, &length);
    return QString::fromLocal8Bit(name, length);
}

} // namespace

std::vector<std::vector<int>> shareInputs(const std::vector<qint64> &sizes, int processes)
{
    std::vector<int> order(sizes.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return sizes[a] > sizes[b]; });
    std::vector<std::vector<int>> shares(std::size_t(std::max(processes, 1)));
    std::vector<qint64> load(shares.size(), 0);
    for (const int input : order) {
        const auto least = std::size_t(std::min_element(load.begin(), load.end()) - load.begin());
        shares[least].push_back(input);
        load[least] += std::max<qint64>(sizes[std::size_t(input)], 1);
    }
    for (std::vector<int> &share : shares)
        std::sort(share.begin(), share.end());
    return shares;
}

ClusterCount::ClusterCount(MPI_Comm comm)
    : m_comm(comm)
    , m_host(hostName())
{
    MPI_Comm_rank(comm, &m_rank);
    MPI_Comm_size(comm, &m_processes);
}

ClusterCount::~ClusterCount() = default;

void ClusterCount::fail(const QString &problem) const
{
    const QByteArray text = QStringLiteral("orvanta-count-mpi: process %1 on %2: %3\n")
                                .arg(QString::number(m_rank), m_host, problem)
                                .toUtf8();
    std::fwrite(text.constData(), 1, std::size_t(text.size()), stderr);
    std::fflush(stderr);
    MPI_Abort(m_comm, 1);
    std::abort();
}

RunOutcome ClusterCount::count(CountingRun &run, const QStringList &inputs,
                               const std::vector<int> &lengths, CountingRunOptions &options)
{
    std::vector<qint64> sizes;
    for (const QString &input : inputs)
        sizes.push_back(QFileInfo(input).size());
    const std::vector<int> mine = shareInputs(sizes, m_processes)[std::size_t(m_rank)];
    const std::uint64_t limit = options.memoryLimit > 0 ? options.memoryLimit : kDefaultMemoryLimit;
    Result<std::unique_ptr<BoundedCount>> count =
        BoundedCount::create(lengths, limit, options.spillFolder);
    if (!count.ok())
        fail(count.error());
    m_count = std::move(count).value();
    m_count->countShare(std::uint32_t(m_rank), std::uint32_t(m_processes));
    options.memoryLimit = 0;
    options.rowsWhenPrinted = false;
    return runShare(run, inputs, mine, lengths, options);
}

RunOutcome ClusterCount::runShare(CountingRun &run, const QStringList &inputs,
                                  const std::vector<int> &mine, const std::vector<int> &lengths,
                                  CountingRunOptions &options)
{
    QStringList paths;
    for (const int input : mine)
        paths << inputs[input];
    m_mine = &mine;
    options.countedLines = [this](int file, QByteArrayView line) { takeLine(file, line); };
    RunOutcome outcome;
    outcome.ran = true;
    if (!paths.isEmpty())
        outcome = run.run(paths, lengths, options);
    if (outcome.cancelled)
        fail(QStringLiteral("cancelled"));
    if (!outcome.converterProblem.isEmpty())
        fail(outcome.converterProblem);
    if (m_pendingFile >= 0)
        exchange(false);
    while (exchange(true)) {
    }
    outcome.failures = gatherFailures(outcome, mine);
    outcome.phrases = {};
    const auto failure = [this](const QString &problem) { fail(problem); };
    if (m_rank == 0)
        outcome.boundedRows = std::make_shared<MergedRows>(m_count, m_comm, m_processes, failure);
    else
        outcome.boundedRows = std::make_shared<SentRows>(m_count, m_comm, failure);
    m_count.reset();
    return outcome;
}

void ClusterCount::takeLine(int file, QByteArrayView line)
{
    if (file != m_pendingFile) {
        if (m_pendingFile >= 0)
            exchange(false);
        m_pendingFile = file;
        appendNumber(m_pending, std::uint32_t((*m_mine)[std::size_t(file)]));
    }
    appendText(m_pending, line);
}

bool ClusterCount::exchange(bool done)
{
    const std::int64_t mine[2] = {done ? 0 : std::int64_t(m_pending.size()), done ? 1 : 0};
    std::vector<std::int64_t> all(2 * std::size_t(m_processes));
    MPI_Allgather(mine, 2, MPI_INT64_T, all.data(), 2, MPI_INT64_T, m_comm);
    std::vector<int> sizes(static_cast<std::size_t>(m_processes));
    std::vector<int> starts(static_cast<std::size_t>(m_processes));
    std::int64_t total = 0;
    bool everyoneDone = true;
    for (std::size_t p = 0; p < sizes.size(); ++p) {
        everyoneDone = everyoneDone && all[2 * p + 1] == 1;
        starts[p] = int(std::min<std::int64_t>(total, INT_MAX));
        sizes[p] = int(all[2 * p]);
        total += all[2 * p];
    }
    if (everyoneDone)
        return false;
    if (total > INT_MAX)
        fail(QStringLiteral("the texts of one round of files are over 2 GiB together; count "
                            "with fewer processes"));
    QByteArray received(qsizetype(total), Qt::Uninitialized);
    MPI_Allgatherv(m_pending.constData(), int(mine[0]), MPI_BYTE, received.data(), sizes.data(),
                   starts.data(), MPI_BYTE, m_comm);
    if (!done) {
        m_pending.clear();
        m_pendingFile = -1;
    }
    for (std::size_t p = 0; p < sizes.size(); ++p)
        countFiles(received.mid(starts[p], sizes[p]));
    return true;
}

void ClusterCount::countFiles(const QByteArray &files)
{
    qsizetype at = 0;
    if (files.isEmpty())
        return;
    m_count->beginDocument(takeNumber(files, at));
    while (at < files.size()) {
        if (const Status counted = m_count->countLine(takeText(files, at)); !counted.ok())
            fail(counted.error());
    }
}

std::vector<FileFailure> ClusterCount::gatherFailures(const RunOutcome &outcome,
                                                      const std::vector<int> &mine) const
{
    // The failures and the sources are both in list order; sources[k] is input mine[k].
    QByteArray sent;
    std::size_t source = 0;
    for (const FileFailure &failure : outcome.failures) {
        while (source + 1 < outcome.sources.size() && outcome.sources[source].path != failure.path)
            ++source;
        appendNumber(sent, std::uint32_t(mine[source]));
        appendText(sent, failure.path.toUtf8());
        appendText(sent, failure.reason.toUtf8());
    }
    const int size = int(sent.size());
    std::vector<int> sizes(static_cast<std::size_t>(m_processes));
    MPI_Gather(&size, 1, MPI_INT, sizes.data(), 1, MPI_INT, 0, m_comm);
    std::vector<int> starts(sizes.size());
    std::exclusive_scan(sizes.begin(), sizes.end(), starts.begin(), 0);
    QByteArray received(m_rank == 0 ? starts.back() + sizes.back() : 0, Qt::Uninitialized);
    MPI_Gatherv(sent.constData(), size, MPI_BYTE, received.data(), sizes.data(), starts.data(),
                MPI_BYTE, 0, m_comm);
    std::vector<std::pair<std::uint32_t, FileFailure>> all;
    for (qsizetype at = 0; at < received.size();) {
        const std::uint32_t input = takeNumber(received, at);
        const QString path = QString::fromUtf8(takeText(received, at));
        all.push_back({input, {path, QString::fromUtf8(takeText(received, at))}});
    }
    std::stable_sort(all.begin(), all.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
    std::vector<FileFailure> failures;
    for (auto &[input, failure] : all)
        failures.push_back(std::move(failure));
    return failures;
}

} // namespace orvanta
