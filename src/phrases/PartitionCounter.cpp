#include "phrases/PartitionCounter.h"

#include "phrases/LengthList.h"
#include "phrases/PhraseLevels.h"
#include "phrases/SortedRows.h"

#include <algorithm>
#include <string>
#include <unordered_map>

namespace orvanta::detail {

namespace {

// Each child of a split is a spill file open at once; the split reads the group once for each
// pass.
constexpr std::size_t kChildrenPerPass = 16;
// Positions in a group's layout are 32-bit, below kInsideWindow: 2^31 words take 16 GiB.
constexpr std::uint64_t kMostGroupBytes = std::uint64_t(16) << 30;
constexpr std::uint32_t kNoChild = ~std::uint32_t(0);

Status stopped()
{
    return Failure{QStringLiteral("The count was stopped.")};
}

// The files of a phrase are counted as the stretches of its records with one file, so each
// file's records must come together; this checks that they do.
class FileStretches {
public:
    // False when the file's records came before those of another.
    bool add(std::uint32_t file)
    {
        if (!m_seen.empty() && file == m_last)
            return true;
        if (file < m_seen.size() && m_seen[file])
            return false;
        if (file >= m_seen.size())
            m_seen.resize(std::size_t(file) + 1);
        m_seen[file] = true;
        m_last = file;
        return true;
    }

private:
    std::vector<bool> m_seen;
    std::uint32_t m_last = 0;
};

Status scattered(std::uint32_t file)
{
    return Failure{QStringLiteral("The occurrences of file %1 do not come together: a file's "
                                  "lines must be counted one after the other.")
                       .arg(file)};
}

} // namespace

// A group's records laid out as the level search reads a text: each record's words closed by a
// line break. The words after a record's first are kInsideWindow in the level's classes, so
// windows grow from the records' starts only.
struct PartitionCounter::Layout {
    LargeArray<std::uint32_t> ids;
    LargeArray<std::uint32_t> starts;      // of the records
    std::vector<std::uint32_t> fileStarts; // where the records of another file begin
    Level level;
};

PartitionCounter::PartitionCounter(const StringInterner &words, const std::vector<int> &lengths,
                                   const SpillFolder &folder, std::uint64_t groupBytes,
                                   std::size_t bufferBytes, SortedRows &rows)
    : m_words(words)
    , m_lengths(distinctCountableLengths(lengths))
    , m_folder(folder)
    , m_groupBytes(std::min(groupBytes, kMostGroupBytes))
    , m_bufferBytes(bufferBytes)
    , m_rows(rows)
{
    if (!m_lengths.empty())
        m_longest = *std::max_element(m_lengths.begin(), m_lengths.end());
}

bool PartitionCounter::wanted(int length) const
{
    return std::find(m_lengths.begin(), m_lengths.end(), length) != m_lengths.end();
}

Status PartitionCounter::count(RecordGroup group, std::stop_token stop)
{
    if (stop.stop_requested())
        return stopped();
    if (memoryToCount(group.file->size(), group.records) <= m_groupBytes)
        return countInMemory(group, stop);
    return split(group, stop);
}

namespace {

Status readLayout(const SpillFile &file, std::size_t bufferBytes, LargeArray<std::uint32_t> &ids,
                  LargeArray<std::uint32_t> &classes, LargeArray<std::uint32_t> &starts,
                  std::vector<std::uint32_t> &fileStarts)
{
    // Each record's header takes as many bytes as its line break and first class.
    ids.reserve(file.size() / sizeof(std::uint32_t));
    classes.reserve(file.size() / sizeof(std::uint32_t));
    RecordReader reader(file, bufferBytes);
    OccurrenceRecord record;
    FileStretches stretches;
    std::uint32_t lastFile = 0;
    while (reader.next(record)) {
        const auto start = std::uint32_t(ids.size());
        if (fileStarts.empty() || record.file != lastFile) {
            if (!stretches.add(record.file))
                return scattered(record.file);
            fileStarts.push_back(start);
            lastFile = record.file;
        }
        starts.push_back(start);
        ids.resize(start + record.size + 1);
        std::memcpy(ids.data() + start, record.words, record.size * sizeof(std::uint32_t));
        ids.back() = kLineBreak;
        classes.push_back(kNoClass);
        classes.resize(classes.size() + record.size - 1, kInsideWindow);
        classes.push_back(kNoClass);
    }
    return reader.status();
}

// The first words that repeat among the records' starts, as the first level.
void classifyFirstWords(const LargeArray<std::uint32_t> &ids,
                        const LargeArray<std::uint32_t> &starts, Level &level)
{
    level.positions.reserve(starts.size());
    KeyCounter counter(starts.size());
    LargeArray<std::uint32_t> keyOfRecord(starts.size());
    for (std::size_t r = 0; r < starts.size(); ++r)
        keyOfRecord[r] = counter.add(ids[starts[r]]);
    std::vector<std::uint32_t> classOfKey(counter.size(), kNoClass);
    for (std::size_t r = 0; r < starts.size(); ++r) {
        const std::uint32_t key = keyOfRecord[r];
        if (counter.count(key) < 2)
            continue;
        if (classOfKey[key] == kNoClass) {
            classOfKey[key] = std::uint32_t(level.frequencies.size());
            level.frequencies.push_back(counter.count(key));
            level.firstSeen.push_back(starts[r]);
        }
        level.classes[starts[r]] = classOfKey[key];
        level.positions.push_back(starts[r]);
    }
}

} // namespace

Status PartitionCounter::countInMemory(const RecordGroup &group, std::stop_token stop)
{
    Layout layout;
    Level &level = layout.level;
    if (const Status read = readLayout(*group.file, m_bufferBytes, layout.ids, level.classes,
                                       layout.starts, layout.fileStarts);
        !read.ok())
        return read;
    classifyFirstWords(layout.ids, layout.starts, level);
    layout.starts = {};
    const auto reported = [&](int length) {
        return wanted(length) && length >= int(group.reportFrom);
    };
    if (reported(1)) {
        if (const Status written = writeRows(layout, 1); !written.ok())
            return written;
    }
    for (int length = 1; length < m_longest && !level.positions.empty(); ++length) {
        if (stop.stop_requested())
            return stopped();
        advanceLevel(level, layout.ids, length);
        if (reported(length + 1)) {
            if (const Status written = writeRows(layout, length + 1); !written.ok())
                return written;
        }
    }
    return {};
}

// The level's classes as rows. A class's positions ascend and each file's records come
// together, so a class meets each of its files in one stretch.
Status PartitionCounter::writeRows(const Layout &layout, int length)
{
    const Level &level = layout.level;
    const std::size_t classes = level.frequencies.size();
    LargeArray<std::uint32_t> files(classes, 0);
    LargeArray<std::uint32_t> lastFile(classes, kNoClass);
    std::size_t file = 0;
    for (const std::uint32_t position : level.positions) {
        while (file + 1 < layout.fileStarts.size() && layout.fileStarts[file + 1] <= position)
            ++file;
        const std::uint32_t c = level.classes[position];
        if (lastFile[c] != file) {
            lastFile[c] = std::uint32_t(file);
            ++files[c];
        }
    }
    std::string phrase;
    for (std::size_t c = 0; c < classes; ++c) {
        phrase.clear();
        for (int w = 0; w < length; ++w) {
            if (w > 0)
                phrase.push_back(' ');
            phrase.append(m_words.text(layout.ids[level.firstSeen[c] + std::uint32_t(w)]));
        }
        if (const Status added =
                m_rows.add(phrase, length, int(level.frequencies[c]), int(files[c]));
            !added.ok())
            return added;
    }
    return {};
}

namespace {

// What a split learns of the records that continue with one word after the shared ones.
struct WordTally {
    std::uint32_t frequency = 0;
    std::uint32_t files = 0;
    std::uint32_t lastFile = 0;
    std::uint64_t bytesOn = 0; // of the records that go on past the word
    std::uint64_t recordsOn = 0;
    std::uint32_t child = kNoChild;
};

struct Child {
    std::uint32_t sharedWords;
    std::uint64_t memory = 0;
    std::uint64_t records = 0;
};

} // namespace

Status PartitionCounter::split(const RecordGroup &group, std::stop_token stop)
{
    const std::uint32_t shared = group.sharedWords;
    std::unordered_map<std::uint32_t, WordTally> tallies;
    std::string prefix; // the shared words, each followed by a space
    {
        RecordReader reader(*group.file, m_bufferBytes);
        OccurrenceRecord record;
        FileStretches stretches;
        for (bool first = true; reader.next(record); first = false) {
            if (first) {
                for (std::uint32_t w = 0; w < shared; ++w)
                    prefix.append(m_words.text(record.word(w))).push_back(' ');
            }
            if (!stretches.add(record.file))
                return scattered(record.file);
            WordTally &tally = tallies[record.word(shared)];
            if (tally.frequency++ == 0 || tally.lastFile != record.file) {
                tally.lastFile = record.file;
                ++tally.files;
            }
            if (record.size > shared + 1) {
                tally.bytesOn += record.bytes();
                ++tally.recordsOn;
            }
        }
        if (const Status read = reader.status(); !read.ok())
            return read;
    }
    if (wanted(int(shared) + 1) && shared + 1 >= group.reportFrom) {
        for (const auto &[word, tally] : tallies) {
            if (tally.frequency < 2)
                continue;
            const std::string phrase = prefix + std::string(m_words.text(word));
            if (const Status added =
                    m_rows.add(phrase, int(shared) + 1, int(tally.frequency), int(tally.files));
                !added.ok())
                return added;
        }
    }

    // Words whose records fit are packed together; a word too big for a group has its own.
    std::vector<Child> children;
    std::size_t packing = kNoChild;
    for (auto &[word, tally] : tallies) {
        if (tally.recordsOn == 0)
            continue;
        const std::uint64_t memory = memoryToCount(tally.bytesOn, tally.recordsOn);
        if (memory > m_groupBytes) {
            tally.child = std::uint32_t(children.size());
            children.push_back({shared + 1, memory, tally.recordsOn});
            continue;
        }
        if (packing == kNoChild || children[packing].memory + memory > m_groupBytes) {
            packing = children.size();
            children.push_back({shared});
        }
        tally.child = std::uint32_t(packing);
        children[packing].memory += memory;
        children[packing].records += tally.recordsOn;
    }

    for (std::size_t first = 0; first < children.size(); first += kChildrenPerPass) {
        const std::size_t end = std::min(children.size(), first + kChildrenPerPass);
        std::vector<std::unique_ptr<SpillFile>> files;
        for (std::size_t c = first; c < end; ++c) {
            Result<Descriptor> fd = m_folder.newFile();
            if (!fd.ok())
                return Failure{fd.error()};
            files.push_back(
                std::make_unique<SpillFile>(std::move(fd).value(), m_folder, m_bufferBytes));
        }
        RecordReader reader(*group.file, m_bufferBytes);
        OccurrenceRecord record;
        while (reader.next(record)) {
            if (record.size <= shared + 1)
                continue;
            const std::uint32_t child = tallies.find(record.word(shared))->second.child;
            if (child >= first && child < end)
                appendRecord(*files[child - first], record);
        }
        if (const Status read = reader.status(); !read.ok())
            return read;
        for (std::size_t c = first; c < end; ++c) {
            if (const Status written = files[c - first]->finishWriting(); !written.ok())
                return written;
        }
        for (std::size_t c = first; c < end; ++c) {
            RecordGroup child{std::move(files[c - first]), children[c].records,
                              children[c].sharedWords, shared + 2};
            if (const Status counted = count(std::move(child), stop); !counted.ok())
                return counted;
        }
    }
    return {};
}

} // namespace orvanta::detail
