#include "documents/TextStore.h"

#include "base/PrivateFolder.h"
#include "documents/KeptIndex.h"
#include "documents/StoreFolder.h"
#include "extract/ScannedPages.h"
#include "extract/TextReader.h"

#include <QCryptographicHash>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <sys/statvfs.h>

namespace orvanta {

namespace {

QByteArray randomSalt()
{
    QByteArray salt(32, '\0');
    if (::getrandom(salt.data(), size_t(salt.size()), 0) != salt.size())
        salt = QByteArray::number(quint64(&salt) ^ quint64(::time(nullptr)));
    return salt;
}

qint64 defaultLimit(int folderFd)
{
    struct statvfs space {};
    if (::fstatvfs(folderFd, &space) != 0)
        return TextStore::kLargestDefaultLimit;
    const qint64 free = qint64(space.f_bavail) * qint64(space.f_frsize);
    return std::min(TextStore::kLargestDefaultLimit, free / 4);
}

// Follows the text as it streams in: where its pages begin and the scanned-page test.
class TextFacts {
public:
    explicit TextFacts(StoredText &text)
        : m_text(text)
    {
        m_text.pageStarts = {0};
    }

    void add(QByteArrayView piece)
    {
        m_noText.feed(piece);
        for (qsizetype at = piece.indexOf('\f'); at >= 0; at = piece.indexOf('\f', at + 1))
            m_text.pageStarts.push_back(m_text.bytes + at + 1);
        m_text.bytes += piece.size();
    }

    void finish()
    {
        // The form feed that ends the last page starts no page of its own.
        if (m_text.pageStarts.size() > 1 && m_text.pageStarts.back() == m_text.bytes)
            m_text.pageStarts.pop_back();
        m_text.noText = m_noText.noText();
    }

private:
    StoredText &m_text;
    NoTextTest m_noText;
};

bool isKeptAsVerdict(ConversionOutcome outcome)
{
    // A file that is damaged or locked stays so until it changes; a crash or a stop may not
    // happen again. A file past a limit stays so for this run's limits.
    return outcome == ConversionOutcome::NeedsPassword || outcome == ConversionOutcome::Damaged ||
           outcome == ConversionOutcome::TimedOut || outcome == ConversionOutcome::OutOfMemory;
}

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

QString notWritten(const Directory &directory, int error)
{
    return QStringLiteral("Cannot write to %1: %2").arg(directory.path(), systemError(error));
}

// A file of the private folder that is gone from it at once: it lives as long as its descriptor.
Result<Descriptor> anonymousFile(const Directory &directory)
{
    Descriptor fd(::openat(directory.fd(), ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0600));
    if (fd.isOpen())
        return fd;
    Result<QString> name = directory.createUniqueFile(QStringLiteral("stream-"), {}, fd);
    if (!name.ok())
        return Failure{name.error()};
    directory.removeFile(*name);
    return fd;
}

QByteArray readAllOf(int fd, qint64 from = -1)
{
    QByteArray bytes;
    char buffer[65536];
    ssize_t got = 0;
    if (from < 0) {
        while ((got = ::read(fd, buffer, sizeof buffer)) > 0)
            bytes.append(buffer, got);
        return bytes;
    }
    while ((got = ::pread(fd, buffer, sizeof buffer, from + bytes.size())) > 0)
        bytes.append(buffer, got);
    ::close(fd);
    return bytes;
}

QByteArray recognisedKey(const DocumentVersion &version, const QStringList &languages)
{
    return version.key() + '\0' + "recognised:" + languages.join(QLatin1Char('+')).toUtf8();
}

} // namespace

TextStore::TextStore(qint64 limitBytes)
    : m_salt(randomSalt())
    , m_limit(limitBytes)
{
}

TextStore::~TextStore()
{
    const std::lock_guard lock(m_mutex);
    if (m_folder && m_folder->isKept())
        saveIndex();
}

Result<DocumentVersion> TextStore::versionOf(const QString &path, const QString &password) const
{
    const QByteArray native = QFile::encodeName(path);
    // Without O_NONBLOCK, opening a FIFO would wait for a writer.
    const Descriptor fd(::open(native.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat info {};
    const bool known = fd.isOpen() ? ::fstat(fd.get(), &info) == 0
                                   : errno == EACCES && ::stat(native.constData(), &info) == 0;
    if (path.isEmpty() || !known || !S_ISREG(info.st_mode))
        return Failure{QStringLiteral("%1 is not a file").arg(path)};
    DocumentVersion version;
    version.path = path;
    version.size = info.st_size;
    version.modifiedNs = qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    version.changedNs = qint64(info.st_ctim.tv_sec) * 1000000000 + info.st_ctim.tv_nsec;
    version.device = info.st_dev;
    version.inode = info.st_ino;
    if (fd.isOpen()) {
        version.digest = contentDigest(fd.get(), info.st_size);
        m_readable.remember(version);
    } else {
        version = m_readable.lastRead(version);
    }
    if (!password.isEmpty())
        version.passwordKey =
            QCryptographicHash::hash(m_salt + password.toUtf8(), QCryptographicHash::Sha256);
    return version;
}

Result<StoreFolder *> TextStore::folder()
{
    if (!m_folder) {
        Result<std::unique_ptr<StoreFolder>> made = StoreFolder::makePrivate();
        if (!made.ok())
            return Failure{made.error()};
        m_folder = std::move(made).value();
        if (m_limit <= 0)
            m_limit = defaultLimit(m_folder->directory().fd());
    }
    return m_folder.get();
}

Status TextStore::keepIn(const QString &path, std::stop_token stop, const Notice &notice)
{
    Result<std::unique_ptr<StoreFolder>> kept = StoreFolder::openKept(path, stop, notice);
    if (!kept.ok())
        return Failure{kept.error()};
    const std::lock_guard guard(m_mutex);
    m_entries.clear();
    m_uses.clear();
    m_bytes = 0;
    m_folder = std::move(kept).value();
    if (m_limit <= 0)
        m_limit = defaultLimit(m_folder->directory().fd());
    loadIndex(notice);
    return {};
}

void TextStore::setConversionLimits(const ConversionLimits &limits)
{
    const std::lock_guard lock(m_mutex);
    m_conversionLimits = limits;
}

ConversionLimits TextStore::conversionLimits() const
{
    const std::lock_guard lock(m_mutex);
    return m_conversionLimits;
}

// Takes what a trusted index names and still matches, sets aside an index that cannot be
// trusted, and removes the store's files that nothing names (of a killed run, say).
void TextStore::loadIndex(const Notice &notice)
{
    const Directory &directory = m_folder->directory();
    for (KeptEntry &entry : loadKeptIndex(directory, notice)) {
        m_entries[entry.key] = Entry{nullptr, entry.fileName, m_uses.end(), false, &directory};
        if (entry.text->isKept())
            keep(entry.key, std::move(entry.text));
        else
            m_entries[entry.key].text = std::move(entry.text);
    }
}

void TextStore::saveIndex()
{
    const Directory &directory = m_folder->directory();
    std::vector<KeptEntry> entries;
    for (const auto &[key, entry] : m_entries) {
        // Only what is in the kept folder, and verdicts that hold for any run's limits.
        if (!entry.text || entry.withPassword || entry.folder != &directory ||
            (!entry.text->isKept() && entry.text->outcome != ConversionOutcome::NeedsPassword &&
             entry.text->outcome != ConversionOutcome::Damaged))
            continue;
        entries.push_back({key, entry.text->isKept() ? entry.fileName : QString(),
                           std::const_pointer_cast<StoredText>(entry.text)});
    }
    saveKeptIndex(directory, entries);
}

Status TextStore::prepare()
{
    const std::lock_guard lock(m_mutex);
    const Result<StoreFolder *> here = folder();
    if (!here.ok())
        return Failure{here.error()};
    return {};
}

Result<StoredTextHandle> TextStore::obtain(const DocumentVersion &version, const QString &password,
                                           const Converter &converter, std::stop_token stop)
{
    const ConversionLimits limits = conversionLimits();
    return obtainEntry(version.key(), !version.passwordKey.isEmpty(), stop,
                       [&](const Directory &folder, QString &fileName) {
                           ++m_conversions;
                           return convert(folder, fileName, version, password, converter, limits,
                                          stop);
                       });
}

Result<StoredTextHandle> TextStore::obtainEntry(const QByteArray &key, bool withPassword,
                                                std::stop_token stop, const Producer &produce)
{
    std::unique_lock lock(m_mutex);
    const Result<StoreFolder *> here = folder();
    if (!here.ok())
        return Failure{here.error()};
    for (;;) {
        auto found = m_entries.find(key);
        if (found == m_entries.end())
            break;
        if (found->second.text) {
            StoredTextHandle handle = open(found->second);
            if (!found->second.text->isKept() || handle.fd.isOpen()) {
                if (found->second.use != m_uses.end())
                    m_uses.splice(m_uses.end(), m_uses, found->second.use);
                return handle;
            }
            forget(found); // its file is gone; make it again
            continue;
        }
        const bool ready = m_changed.wait(lock, stop, [&] {
            const auto now = m_entries.find(key);
            return now == m_entries.end() || now->second.text != nullptr;
        });
        if (!ready) {
            auto cancelled = std::make_shared<StoredText>();
            cancelled->outcome = ConversionOutcome::Cancelled;
            return StoredTextHandle{std::move(cancelled), {}};
        }
    }

    // Texts opened with a password never go to a kept folder: they must not outlive the run.
    const Result<const Directory *> makingIn =
        withPassword ? m_folder->privateDirectory() : &m_folder->directory();
    if (!makingIn.ok())
        return Failure{makingIn.error()};
    const Directory &directory = **makingIn;
    m_entries[key] = Entry{nullptr, {}, m_uses.end(), withPassword, &directory};
    const std::shared_ptr<StoreFolder> holding = m_folder;
    lock.unlock();
    QString fileName;
    std::shared_ptr<StoredText> text = produce(directory, fileName);
    lock.lock();

    StoredTextHandle handle{text, {}};
    auto entry = m_entries.find(key);
    if (m_folder != holding || entry == m_entries.end()) {
        // The store was cleared meanwhile: the text is not kept.
        if (!fileName.isEmpty())
            directory.removeFile(fileName);
        text->outcome = text->outcome == ConversionOutcome::Converted ? ConversionOutcome::Cancelled
                                                                      : text->outcome;
        return StoredTextHandle{text, {}};
    }
    entry->second.fileName = fileName;
    if (text->isKept() && text->unreadPages.empty()) {
        keep(key, text);
        handle = open(entry->second);
    } else if (text->isKept()) {
        // Read once, never kept: a later run tries the failed pages again.
        entry->second.text = text;
        handle = open(entry->second);
        directory.removeFile(fileName);
        m_entries.erase(entry);
    } else if (isKeptAsVerdict(text->outcome)) {
        entry->second.text = text;
    } else {
        m_entries.erase(entry);
    }
    m_changed.notify_all();
    return handle;
}

std::optional<StoredTextHandle> TextStore::find(const DocumentVersion &version)
{
    return findEntry(version.key());
}

std::optional<StoredTextHandle> TextStore::findRecognised(const DocumentVersion &version,
                                                          const QStringList &languages)
{
    return findEntry(recognisedKey(version, languages));
}

Result<StoredTextHandle> TextStore::recognise(const DocumentVersion &version,
                                              const StoredTextHandle &converted,
                                              const QString &password, const QStringList &languages,
                                              const std::function<void(int, int)> &progress,
                                              std::stop_token stop)
{
    if (!converted.text->isKept())
        return StoredTextHandle{converted.text, {}};
    const QByteArray text = readAllOf(::dup(converted.fd.get()), 0);
    const std::vector<int> blank = pagesWithoutText(text);
    if (blank.empty())
        return StoredTextHandle{converted.text,
                                Descriptor(::fcntl(converted.fd.get(), F_DUPFD_CLOEXEC, 0))};
    const ConversionLimits limits = conversionLimits();
    return obtainEntry(recognisedKey(version, languages), !version.passwordKey.isEmpty(), stop,
                       [&](const Directory &folder, QString &fileName) {
                           const std::lock_guard oneAtATime(m_recognising);
                           return recogniseInto(folder, fileName,
                                                {version.path, password, languages, limits}, text,
                                                blank, progress, stop);
                       });
}

std::optional<StoredTextHandle> TextStore::findEntry(const QByteArray &key)
{
    const std::lock_guard lock(m_mutex);
    const auto found = m_entries.find(key);
    if (found == m_entries.end() || !found->second.text)
        return std::nullopt;
    StoredTextHandle handle = open(found->second);
    if (found->second.text->isKept() && !handle.fd.isOpen())
        return std::nullopt;
    return handle;
}

std::shared_ptr<StoredText> TextStore::convert(const Directory &directory, QString &fileName,
                                               const DocumentVersion &version,
                                               const QString &password, const Converter &converter,
                                               const ConversionLimits &limits, std::stop_token stop)
{
    auto text = std::make_shared<StoredText>();
    // A name of its own, so no leftover of a killed run can be in the way.
    Descriptor file;
    Result<QString> created = directory.createUniqueFile(QLatin1String(kKeptTextPrefix), {}, file);
    if (!created.ok()) {
        text->writeError = created.error();
        return text;
    }
    fileName = *created;
    TextFacts facts(*text);
    int writeFailure = 0;
    text->outcome = converter.convert(
        version.path, password, limits,
        [&](QByteArrayView piece) {
            if (!writeAll(file.get(), piece)) {
                writeFailure = errno;
                return false;
            }
            facts.add(piece);
            return true;
        },
        stop);
    facts.finish();
    if (writeFailure != 0)
        text->writeError = notWritten(directory, writeFailure);
    if (!text->isKept())
        directory.removeFile(fileName);
    return text;
}

std::shared_ptr<StoredText> TextStore::recogniseInto(const Directory &directory, QString &fileName,
                                                     const RecognitionRequest &request,
                                                     const QByteArray &converted,
                                                     const std::vector<int> &blank,
                                                     const std::function<void(int, int)> &progress,
                                                     std::stop_token stop)
{
    auto text = std::make_shared<StoredText>();
    const std::vector<Result<QString>> read =
        recognisePages(request, blank, stop, progress ? progress : RecognitionProgress());
    m_recognisedPages += int(blank.size());
    if (stop.stop_requested()) {
        text->outcome = ConversionOutcome::Cancelled;
        return text;
    }
    std::map<int, QString> pages;
    for (size_t i = 0; i < blank.size(); ++i) {
        if (read[i].ok()) {
            pages[blank[i]] = *read[i];
            text->recognisedPages.push_back(blank[i]);
        } else {
            text->unreadPages.push_back({blank[i], read[i].error()});
        }
    }
    const QByteArray recognised = replacePageTexts(converted, pages);
    Descriptor file;
    Result<QString> created = directory.createUniqueFile(QLatin1String(kKeptTextPrefix), {}, file);
    if (!created.ok()) {
        text->writeError = created.error();
        return text;
    }
    fileName = *created;
    if (!writeAll(file.get(), recognised)) {
        text->writeError = notWritten(directory, errno);
        directory.removeFile(fileName);
        return text;
    }
    TextFacts facts(*text);
    facts.add(recognised);
    facts.finish();
    return text;
}

Result<StoredTextHandle> TextStore::copyStream(int fd, const QString &name, std::stop_token stop)
{
    Result<const Directory *> directory = Failure{};
    {
        const std::lock_guard lock(m_mutex);
        const Result<StoreFolder *> here = folder();
        if (!here.ok())
            return Failure{here.error()};
        directory = (*here)->privateDirectory();
    }
    if (!directory.ok())
        return Failure{directory.error()};
    Result<Descriptor> copy = anonymousFile(**directory);
    if (!copy.ok())
        return Failure{copy.error()};
    auto text = std::make_shared<StoredText>();
    TextFacts facts(*text);
    LongestLine lines;
    int writeFailure = 0;
    const Status read = readPieces(fd, name, stop, [&](QByteArrayView piece) {
        if (!lines.feed(piece))
            return false;
        if (!writeAll(copy->get(), piece)) {
            writeFailure = errno;
            return false;
        }
        facts.add(piece);
        return true;
    });
    if (lines.overflowed())
        return Failure{tooLongLineMessage(name)};
    if (writeFailure != 0)
        return Failure{notWritten(**directory, writeFailure)};
    if (!read.ok())
        return Failure{read.error()};
    facts.finish();
    if (stop.stop_requested())
        text->outcome = ConversionOutcome::Cancelled;
    return StoredTextHandle{std::move(text), std::move(copy).value()};
}

StoredTextHandle TextStore::open(const Entry &entry) const
{
    StoredTextHandle handle{entry.text, {}};
    if (entry.text && entry.text->isKept()) {
        Result<Descriptor> file = entry.folder->openFile(entry.fileName);
        if (file.ok())
            handle.fd = std::move(file).value();
    }
    return handle;
}

void TextStore::keep(const QByteArray &key, std::shared_ptr<StoredText> text)
{
    Entry &entry = m_entries[key];
    m_bytes += text->bytes;
    entry.text = std::move(text);
    entry.use = m_uses.insert(m_uses.end(), key);
    dropOverLimit(key);
}

void TextStore::dropOverLimit(const QByteArray &spare)
{
    auto use = m_uses.begin();
    while (m_bytes > m_limit && use != m_uses.end()) {
        const QByteArray key = *use++;
        if (key != spare)
            forget(m_entries.find(key));
    }
}

void TextStore::forget(std::map<QByteArray, Entry>::iterator entry)
{
    if (entry->second.use != m_uses.end()) {
        m_uses.erase(entry->second.use);
        m_bytes -= entry->second.text->bytes;
        entry->second.folder->removeFile(entry->second.fileName);
    }
    m_entries.erase(entry);
}

void TextStore::clear()
{
    const std::lock_guard lock(m_mutex);
    m_entries.clear();
    m_uses.clear();
    m_bytes = 0;
    m_folder.reset();
}

int TextStore::conversions() const
{
    return m_conversions;
}

qint64 TextStore::storedBytes() const
{
    const std::lock_guard lock(m_mutex);
    return m_bytes;
}

qint64 TextStore::limit() const
{
    const std::lock_guard lock(m_mutex);
    return m_limit;
}

} // namespace orvanta
