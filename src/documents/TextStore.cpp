#include "documents/TextStore.h"

#include "base/PrivateFolder.h"
#include "extract/TextReader.h"

#include <QCryptographicHash>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

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
    // happen again.
    return outcome == ConversionOutcome::NeedsPassword || outcome == ConversionOutcome::Damaged;
}

const QString kIndexName = QStringLiteral("index.json");

QByteArray readAllOf(int fd)
{
    QByteArray bytes;
    char buffer[65536];
    ssize_t got = 0;
    while ((got = ::read(fd, buffer, sizeof buffer)) > 0)
        bytes.append(buffer, got);
    return bytes;
}

} // namespace

// Where the store's files are: this instance's private folder, or a folder the user keeps
// texts in between runs.
class TextStore::Folder {
public:
    explicit Folder(std::unique_ptr<InstanceFolder> instance)
        : m_instance(std::move(instance))
    {
    }
    Folder(Directory kept, Descriptor lock)
        : m_kept(std::move(kept))
        , m_lock(std::move(lock))
    {
    }

    const Directory &directory() const { return m_instance ? m_instance->directory() : m_kept; }
    bool isKept() const { return !m_instance; }

private:
    std::unique_ptr<InstanceFolder> m_instance;
    Directory m_kept;
    Descriptor m_lock;
};

QByteArray DocumentVersion::key() const
{
    QByteArray key = QFile::encodeName(path);
    key += '\0' + QByteArray::number(size) + ':' + QByteArray::number(modifiedNs) + ':' +
           QByteArray::number(device) + ':' + QByteArray::number(inode) + ':' + passwordKey;
    return key;
}

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
    struct stat info {};
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &info) != 0 ||
        !S_ISREG(info.st_mode))
        return Failure{QStringLiteral("%1 is not a file").arg(path)};
    DocumentVersion version;
    version.path = path;
    version.size = info.st_size;
    version.modifiedNs = qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    version.device = info.st_dev;
    version.inode = info.st_ino;
    if (!password.isEmpty())
        version.passwordKey =
            QCryptographicHash::hash(m_salt + password.toUtf8(), QCryptographicHash::Sha256);
    return version;
}

Result<const TextStore::Folder *> TextStore::folder()
{
    if (!m_folder) {
        Result<std::unique_ptr<InstanceFolder>> made = InstanceFolder::create();
        if (!made.ok())
            return Failure{made.error()};
        m_folder = std::make_shared<Folder>(std::move(made).value());
        if (m_limit <= 0)
            m_limit = defaultLimit(m_folder->directory().fd());
    }
    return m_folder.get();
}

Status TextStore::keepIn(const QString &path)
{
    const QByteArray native = QFile::encodeName(path);
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST)
        return Failure{QStringLiteral("Cannot make the folder %1: %2")
                           .arg(path, QString::fromLocal8Bit(std::strerror(errno)))};
    Descriptor fd(::open(native.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    struct stat info {};
    if (!fd.isOpen() || ::fstat(fd.get(), &info) != 0 || info.st_uid != ::geteuid() ||
        (info.st_mode & 022) != 0)
        return Failure{QStringLiteral("The folder %1 for kept texts must be yours, and others "
                                      "must not be able to write to it.")
                           .arg(path)};
    Directory kept(std::move(fd), path);
    Descriptor lock(::openat(kept.fd(), ".orvanta-lock",
                             O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!lock.isOpen() || ::flock(lock.get(), LOCK_EX) != 0)
        return Failure{QStringLiteral("Cannot lock the folder %1: %2")
                           .arg(path, QString::fromLocal8Bit(std::strerror(errno)))};
    const std::lock_guard guard(m_mutex);
    m_entries.clear();
    m_uses.clear();
    m_bytes = 0;
    m_folder = std::make_shared<Folder>(std::move(kept), std::move(lock));
    if (m_limit <= 0)
        m_limit = defaultLimit(m_folder->directory().fd());
    loadIndex();
    return {};
}

// The index of a kept folder: each text's version key, file and facts.
void TextStore::loadIndex()
{
    const Directory &directory = m_folder->directory();
    Result<Descriptor> file = directory.openFile(kIndexName);
    if (!file.ok())
        return;
    const QJsonArray texts = QJsonDocument::fromJson(readAllOf(file->get())).object()
                                 .value(QStringLiteral("texts"))
                                 .toArray();
    for (const QJsonValue &value : texts) {
        const QJsonObject object = value.toObject();
        auto text = std::make_shared<StoredText>();
        text->outcome = ConversionOutcome(object.value(QStringLiteral("outcome")).toInt());
        text->bytes = qint64(object.value(QStringLiteral("bytes")).toDouble());
        text->noText = object.value(QStringLiteral("noText")).toBool();
        for (const QJsonValue &start : object.value(QStringLiteral("pages")).toArray())
            text->pageStarts.push_back(qint64(start.toDouble()));
        const QString fileName = object.value(QStringLiteral("file")).toString();
        const QByteArray key =
            QByteArray::fromBase64(object.value(QStringLiteral("key")).toString().toLatin1());
        if (key.isEmpty() || (text->isKept() && !directory.openFile(fileName).ok()))
            continue;
        m_nextFile = std::max(m_nextFile, fileName.mid(5).toInt());
        m_entries[key] = Entry{nullptr, fileName, m_uses.end()};
        if (text->isKept())
            keep(key, std::move(text));
        else
            m_entries[key].text = std::move(text);
    }
}

void TextStore::saveIndex()
{
    const Directory &directory = m_folder->directory();
    QJsonArray texts;
    for (const auto &[key, entry] : m_entries) {
        if (!entry.text)
            continue;
        if (entry.withPassword) {
            directory.removeFile(entry.fileName);
            continue;
        }
        QJsonArray pages;
        for (const qint64 start : entry.text->pageStarts)
            pages.append(double(start));
        texts.append(QJsonObject{{QStringLiteral("key"), QString::fromLatin1(key.toBase64())},
                                 {QStringLiteral("file"), entry.fileName},
                                 {QStringLiteral("outcome"), int(entry.text->outcome)},
                                 {QStringLiteral("bytes"), double(entry.text->bytes)},
                                 {QStringLiteral("noText"), entry.text->noText},
                                 {QStringLiteral("pages"), pages}});
    }
    const QByteArray index =
        QJsonDocument(QJsonObject{{QStringLiteral("texts"), texts}}).toJson(QJsonDocument::Compact);
    Descriptor fd;
    const Result<QString> part = directory.createUniqueFile(QStringLiteral("index-"),
                                                            QStringLiteral(".part"), fd);
    if (!part.ok())
        return;
    if (writeAll(fd.get(), index) && ::fsync(fd.get()) == 0)
        directory.rename(*part, kIndexName);
    else
        directory.removeFile(*part);
}

Status TextStore::prepare()
{
    const std::lock_guard lock(m_mutex);
    const Result<const Folder *> here = folder();
    if (!here.ok())
        return Failure{here.error()};
    return {};
}

Result<StoredTextHandle> TextStore::obtain(const DocumentVersion &version,
                                           const QString &password, const Converter &converter,
                                           std::stop_token stop)
{
    std::unique_lock lock(m_mutex);
    const Result<const Folder *> here = folder();
    if (!here.ok())
        return Failure{here.error()};
    const QByteArray key = version.key();
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
            forget(found); // its file is gone; convert again
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

    const QString fileName = QStringLiteral("text-%1").arg(++m_nextFile);
    m_entries[key] = Entry{nullptr, fileName, m_uses.end(), !version.passwordKey.isEmpty()};
    ++m_conversions;
    const std::shared_ptr<Folder> convertingIn = m_folder;
    lock.unlock();
    std::shared_ptr<StoredText> text =
        convert(convertingIn->directory(), fileName, version, password, converter, stop);
    lock.lock();

    StoredTextHandle handle{text, {}};
    auto entry = m_entries.find(key);
    if (m_folder != convertingIn || entry == m_entries.end()) {
        // The store was cleared meanwhile: the text is not kept.
        convertingIn->directory().removeFile(fileName);
        text->outcome = text->outcome == ConversionOutcome::Converted ? ConversionOutcome::Cancelled
                                                                      : text->outcome;
        return StoredTextHandle{text, {}};
    }
    if (text->isKept()) {
        keep(key, text);
        handle = open(entry->second);
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
    const std::lock_guard lock(m_mutex);
    const auto found = m_entries.find(version.key());
    if (found == m_entries.end() || !found->second.text)
        return std::nullopt;
    StoredTextHandle handle = open(found->second);
    if (found->second.text->isKept() && !handle.fd.isOpen())
        return std::nullopt;
    return handle;
}

std::shared_ptr<StoredText> TextStore::convert(const Directory &directory, const QString &fileName,
                                               const DocumentVersion &version,
                                               const QString &password,
                                               const Converter &converter, std::stop_token stop)
{
    auto text = std::make_shared<StoredText>();
    Result<Descriptor> file = directory.createFile(fileName);
    if (!file.ok()) {
        text->writeError = file.error();
        return text;
    }
    TextFacts facts(*text);
    int writeFailure = 0;
    text->outcome = converter.convert(
        version.path, password,
        [&](QByteArrayView piece) {
            if (!writeAll(file->get(), piece)) {
                writeFailure = errno;
                return false;
            }
            facts.add(piece);
            return true;
        },
        stop);
    facts.finish();
    if (writeFailure != 0)
        text->writeError = QString::fromLocal8Bit(std::strerror(writeFailure));
    if (!text->isKept())
        directory.removeFile(fileName);
    return text;
}

StoredTextHandle TextStore::open(const Entry &entry) const
{
    StoredTextHandle handle{entry.text, {}};
    if (entry.text->isKept()) {
        Result<Descriptor> file = m_folder->directory().openFile(entry.fileName);
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
        m_folder->directory().removeFile(entry->second.fileName);
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
    const std::lock_guard lock(m_mutex);
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
