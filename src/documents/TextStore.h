#pragma once

#include "base/Descriptor.h"
#include "base/Result.h"
#include "documents/DocumentVersion.h"
#include "extract/Converter.h"
#include "extract/PageRecognition.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <vector>

namespace orvanta {

class Directory;
class StoreFolder;

// A page that text recognition could not read, and why (the page is not named in `reason`).
struct PageFailure {
    int page = 0;
    QString reason;
    bool operator==(const PageFailure &) const = default;
};

// What the store knows of one conversion.
struct StoredText {
    ConversionOutcome outcome = ConversionOutcome::Converted;
    QString writeError; // set when the text could not be kept; names the folder
    qint64 bytes = 0;
    std::vector<qint64> pageStarts;   // the byte offset where each page begins
    bool noText = false;              // the scanned-page test's verdict
    std::vector<int> recognisedPages; // pages read by text recognition, from 1
    // Pages text recognition failed on: such a text is handed out once and never kept.
    std::vector<PageFailure> unreadPages;

    // The whole text is there to read.
    bool isKept() const { return outcome == ConversionOutcome::Converted && writeError.isEmpty(); }
};

// A stored text, open for reading from its start; it stays readable when the store drops it.
struct StoredTextHandle {
    std::shared_ptr<const StoredText> text;
    Descriptor fd; // open when the text is kept
};

// The converted texts of PDF versions, kept as files in this instance's private folder for the
// store's lifetime, so each version is converted once. Past the size limit the least recently
// used texts go and are converted again when needed. Safe to use from several threads.
class TextStore {
public:
    static constexpr qint64 kLargestDefaultLimit = qint64(2) << 30;
    using Notice = std::function<void(const QString &text)>;

    // A limit of 0 means the smaller of 2 GiB and a quarter of the free space where texts go.
    explicit TextStore(qint64 limitBytes = 0);
    ~TextStore();
    TextStore(const TextStore &) = delete;
    TextStore &operator=(const TextStore &) = delete;

    // Makes the private folder where texts go, when it is not there yet.
    Status prepare();

    // Keeps the texts in a folder the user names and owns instead, for later stores to use
    // too. Texts opened with a password, or whose recognition failed, are never kept there.
    // Made with mode 0700 when missing; refused when others may write it. While another store
    // keeps texts there, says so through `notice` and waits, until `stop`. An index there that
    // cannot be trusted is set aside, with a notice; files of the store that the index does not
    // name are removed.
    Status keepIn(const QString &folder, std::stop_token stop = {}, const Notice &notice = {});

    // What each conversion may take; generous by default.
    void setConversionLimits(const ConversionLimits &limits);
    ConversionLimits conversionLimits() const;

    // The version of the regular file at `path` now, opened with `password`.
    Result<DocumentVersion> versionOf(const QString &path, const QString &password) const;

    // Copies a stream (standard input, a FIFO) into a private file for this run, which nothing
    // else can reach and which is gone when the handle goes, so it can be read more than once.
    // Refused, with nothing kept, when a line is longer than LineSplitter::kLongestLine.
    Result<StoredTextHandle> copyStream(int fd, const QString &name, std::stop_token stop = {});

    // The text of this version: the stored one, or converted now. A version that another
    // caller is converting is waited for. Fails when the private folder cannot be used. A
    // stop gives the outcome Cancelled, which is not stored.
    Result<StoredTextHandle> obtain(const DocumentVersion &version, const QString &password,
                                    const Converter &converter, std::stop_token stop = {});
    // The stored text of this version, without converting.
    std::optional<StoredTextHandle> find(const DocumentVersion &version);

    // The text of a version whose pages without text (scans) were read by text recognition in
    // these languages, made from its converted text (`converted`) once and then kept like any
    // text; the converted text itself when every page has text. Progress counts the pages. When
    // pages fail, the text of the others is handed out, with the failures, and not kept.
    Result<StoredTextHandle> recognise(const DocumentVersion &version,
                                       const StoredTextHandle &converted, const QString &password,
                                       const QStringList &languages,
                                       const std::function<void(int done, int total)> &progress,
                                       std::stop_token stop = {});
    std::optional<StoredTextHandle> findRecognised(const DocumentVersion &version,
                                                   const QStringList &languages);

    // Forgets every text and removes the folder they were kept in.
    void clear();

    int conversions() const;
    // How many pages text recognition has read since the store was made.
    int recognisedPages() const { return m_recognisedPages; }
    qint64 storedBytes() const;
    qint64 limit() const;

private:
    struct Entry {
        std::shared_ptr<const StoredText> text; // null while converting
        QString fileName;
        std::list<QByteArray>::iterator use;
        bool withPassword = false;
        const Directory *folder = nullptr; // where its file is, in m_folder
    };

    // Makes the text in a new file of the folder and names the file.
    using Producer =
        std::function<std::shared_ptr<StoredText>(const Directory &folder, QString &fileName)>;

    Result<StoreFolder *> folder();
    // The entry under `key`, made by `produce` into a new file when there is none; callers
    // asking for an entry being made wait for it.
    Result<StoredTextHandle> obtainEntry(const QByteArray &key, bool withPassword,
                                         std::stop_token stop, const Producer &produce);
    void loadIndex(const Notice &notice);
    void saveIndex();
    static std::shared_ptr<StoredText> convert(const Directory &folder, QString &fileName,
                                               const DocumentVersion &version,
                                               const QString &password, const Converter &converter,
                                               const ConversionLimits &limits,
                                               std::stop_token stop);
    std::shared_ptr<StoredText>
    recogniseInto(const Directory &directory, QString &fileName, const RecognitionRequest &request,
                  const QByteArray &converted, const std::vector<int> &blank,
                  const std::function<void(int, int)> &progress, std::stop_token stop);
    std::optional<StoredTextHandle> findEntry(const QByteArray &key);
    StoredTextHandle open(const Entry &entry) const;
    void keep(const QByteArray &key, std::shared_ptr<StoredText> text);
    void dropOverLimit(const QByteArray &spare);
    void forget(std::map<QByteArray, Entry>::iterator entry);

    mutable std::mutex m_mutex;
    std::condition_variable_any m_changed;
    std::shared_ptr<StoreFolder> m_folder; // shared with conversions in flight
    std::map<QByteArray, Entry> m_entries;
    mutable ReadableVersions m_readable;
    std::list<QByteArray> m_uses; // least recently used first
    QByteArray m_salt;
    ConversionLimits m_conversionLimits;
    qint64 m_limit = 0;
    qint64 m_bytes = 0;
    std::atomic<int> m_conversions{0};
    std::atomic<int> m_recognisedPages{0};
    std::mutex m_recognising; // one document at a time: its pages already use every core
};

} // namespace orvanta
