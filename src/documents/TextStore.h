#pragma once

#include "base/Descriptor.h"
#include "base/Result.h"
#include "extract/Converter.h"

#include <QByteArray>
#include <QString>

#include <condition_variable>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <vector>

namespace orvanta {

class Directory;

// A PDF as it is on disk now: the same path changed since is another version, and so is the
// same file opened with another password.
struct DocumentVersion {
    QString path;
    qint64 size = 0;
    qint64 modifiedNs = 0;
    quint64 device = 0;
    quint64 inode = 0;
    QByteArray passwordKey; // empty without a password; a salted digest, never the password

    QByteArray key() const;
};

// What the store knows of one conversion.
struct StoredText {
    ConversionOutcome outcome = ConversionOutcome::Converted;
    QString writeError;             // set when the text could not be kept
    qint64 bytes = 0;
    std::vector<qint64> pageStarts; // the byte offset where each page begins
    bool noText = false;            // the scanned-page test's verdict

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

    // A limit of 0 means the smaller of 2 GiB and a quarter of the free space where texts go.
    explicit TextStore(qint64 limitBytes = 0);
    ~TextStore();
    TextStore(const TextStore &) = delete;
    TextStore &operator=(const TextStore &) = delete;

    // Makes the private folder where texts go, when it is not there yet.
    Status prepare();

    // Keeps the texts in a folder the user names and owns instead, for later stores to use
    // too; texts opened with a password are not kept there. Made with mode 0700 when missing.
    // Refused when others may write it. Waits while another store keeps texts there.
    Status keepIn(const QString &folder);

    // The version of the regular file at `path` now, opened with `password`.
    Result<DocumentVersion> versionOf(const QString &path, const QString &password) const;

    // The text of this version: the stored one, or converted now. A version that another
    // caller is converting is waited for. Fails when the private folder cannot be used. A
    // stop gives the outcome Cancelled, which is not stored.
    Result<StoredTextHandle> obtain(const DocumentVersion &version, const QString &password,
                                    const Converter &converter, std::stop_token stop = {});
    // The stored text of this version, without converting.
    std::optional<StoredTextHandle> find(const DocumentVersion &version);

    // Forgets every text and removes the folder they were kept in.
    void clear();

    int conversions() const;
    qint64 storedBytes() const;
    qint64 limit() const;

private:
    class Folder;
    struct Entry {
        std::shared_ptr<const StoredText> text; // null while converting
        QString fileName;
        std::list<QByteArray>::iterator use;
        bool withPassword = false;
    };

    Result<const Folder *> folder();
    void loadIndex();
    void saveIndex();
    static std::shared_ptr<StoredText> convert(const Directory &folder, const QString &fileName,
                                               const DocumentVersion &version,
                                               const QString &password,
                                               const Converter &converter, std::stop_token stop);
    StoredTextHandle open(const Entry &entry) const;
    void keep(const QByteArray &key, std::shared_ptr<StoredText> text);
    void dropOverLimit(const QByteArray &spare);
    void forget(std::map<QByteArray, Entry>::iterator entry);

    mutable std::mutex m_mutex;
    std::condition_variable_any m_changed;
    std::shared_ptr<Folder> m_folder; // shared with conversions in flight
    std::map<QByteArray, Entry> m_entries;
    std::list<QByteArray> m_uses; // least recently used first
    QByteArray m_salt;
    qint64 m_limit = 0;
    qint64 m_bytes = 0;
    int m_conversions = 0;
    int m_nextFile = 0;
};

} // namespace orvanta
