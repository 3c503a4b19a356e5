#include "documents/KeptIndex.h"

#include "base/PrivateFolder.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <cstring>
#include <dirent.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace orvanta {

namespace {

const QString kKey = QStringLiteral("key");
const QString kFile = QStringLiteral("file");
const QString kOutcome = QStringLiteral("outcome");
const QString kBytes = QStringLiteral("bytes");
const QString kNoText = QStringLiteral("noText");
const QString kPages = QStringLiteral("pages");
const QString kRecognised = QStringLiteral("recognised");

// Whole numbers JSON carries exactly.
constexpr double kLargestExact = double(qint64(1) << 53);

Failure damaged(const QString &why)
{
    return Failure{why};
}

bool isWholeNumber(const QJsonValue &value, double least, double most)
{
    const double number = value.toDouble(-1);
    return value.isDouble() && number == qint64(number) && number >= least && number <= most;
}

// A stored outcome: only those the store keeps across runs.
bool isKeptOutcome(int outcome)
{
    return outcome == int(ConversionOutcome::Converted) ||
           outcome == int(ConversionOutcome::NeedsPassword) ||
           outcome == int(ConversionOutcome::Damaged);
}

Result<std::shared_ptr<StoredText>> textOf(const QJsonObject &object)
{
    const QJsonValue outcome = object.value(kOutcome);
    if (!isWholeNumber(outcome, 0, 100) || !isKeptOutcome(outcome.toInt()))
        return damaged(QStringLiteral("an outcome it does not know"));
    if (!isWholeNumber(object.value(kBytes), 0, kLargestExact) || !object.value(kNoText).isBool() ||
        !object.value(kPages).isArray() || !object.value(kRecognised).isArray())
        return damaged(QStringLiteral("an entry without its facts"));
    auto text = std::make_shared<StoredText>();
    text->outcome = ConversionOutcome(outcome.toInt());
    text->bytes = qint64(object.value(kBytes).toDouble());
    text->noText = object.value(kNoText).toBool();
    qint64 previous = 0;
    for (const QJsonValue &start : object.value(kPages).toArray()) {
        if (!isWholeNumber(start, double(previous), double(text->bytes)))
            return damaged(QStringLiteral("pages out of order"));
        previous = qint64(start.toDouble());
        text->pageStarts.push_back(previous);
    }
    if (text->isKept() && (text->pageStarts.empty() || text->pageStarts.front() != 0))
        return damaged(QStringLiteral("pages out of order"));
    for (const QJsonValue &page : object.value(kRecognised).toArray()) {
        if (!isWholeNumber(page, 1, double(text->pageStarts.size())))
            return damaged(QStringLiteral("a recognised page that is not there"));
        text->recognisedPages.push_back(page.toInt());
    }
    return text;
}

Result<KeptEntry> entryOf(const QJsonValue &value)
{
    const QJsonObject object = value.toObject();
    const QByteArray key = QByteArray::fromBase64(object.value(kKey).toString().toLatin1(),
                                                  QByteArray::AbortOnBase64DecodingErrors);
    if (!value.isObject() || key.isEmpty() || !object.value(kFile).isString())
        return damaged(QStringLiteral("an entry without its key or file"));
    Result<std::shared_ptr<StoredText>> text = textOf(object);
    if (!text.ok())
        return Failure{text.error()};
    const QString fileName = object.value(kFile).toString();
    // A text is one of the store's own files right in the folder; a verdict has none.
    if ((*text)->isKept() ? !isKeptTextName(fileName) : !fileName.isEmpty())
        return damaged(QStringLiteral("a file that is not one of its texts: \"%1\"").arg(fileName));
    return KeptEntry{key, fileName, std::move(text).value()};
}

QByteArray readAll(int fd)
{
    QByteArray bytes;
    char buffer[65536];
    ssize_t got = 0;
    while ((got = ::read(fd, buffer, sizeof buffer)) > 0)
        bytes.append(buffer, got);
    return bytes;
}

// A kept text's file as the index describes it: a plain file right in the folder, of the size
// it names.
bool fileMatches(const Directory &folder, const QString &name, qint64 bytes)
{
    Result<Descriptor> file = folder.openFile(name);
    struct stat info {};
    return file.ok() && ::fstat(file->get(), &info) == 0 && S_ISREG(info.st_mode) &&
           info.st_size == bytes;
}

Result<std::vector<KeptEntry>> readKeptIndex(const Directory &folder)
{
    Result<Descriptor> file = folder.openFile(QLatin1String(kKeptIndexName));
    struct stat info {};
    if (!file.ok() || ::fstat(file->get(), &info) != 0)
        return std::vector<KeptEntry>();
    if (!S_ISREG(info.st_mode) || info.st_size > kLargestKeptIndex)
        return Failure{QStringLiteral("it is not a plain file of a sensible size")};
    return parseKeptIndex(readAll(file->get()));
}

// Removes the store's files in the folder that `kept` does not name; other files stay.
void sweepKeptFolder(const Directory &folder, const std::vector<QString> &kept)
{
    const std::set<QString> named(kept.begin(), kept.end());
    const int listing = ::dup(folder.fd());
    DIR *dir = listing >= 0 ? ::fdopendir(listing) : nullptr;
    if (!dir) {
        if (listing >= 0)
            ::close(listing);
        return;
    }
    std::vector<QString> leftovers;
    while (const dirent *entry = ::readdir(dir)) {
        const QString name = QFile::decodeName(entry->d_name);
        if (isStoreLeftover(name) && !named.count(name))
            leftovers.push_back(name);
    }
    ::closedir(dir);
    for (const QString &name : leftovers)
        folder.removeFile(name);
}

} // namespace

bool isKeptTextName(const QString &name)
{
    static const QRegularExpression own(QStringLiteral("^text-[A-Za-z0-9]{8}$"));
    return own.match(name).hasMatch();
}

bool isStoreLeftover(const QString &name)
{
    static const QRegularExpression leftover(
        QStringLiteral("^(text-[A-Za-z0-9]+|index-[A-Za-z0-9]{8}\\.part)$"));
    return leftover.match(name).hasMatch();
}

Result<std::vector<KeptEntry>> parseKeptIndex(const QByteArray &json)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return damaged(QStringLiteral("it is damaged"));
    const QJsonObject index = document.object();
    if (index.value(QStringLiteral("format")).toInt(-1) != kKeptIndexFormat)
        return damaged(QStringLiteral("another version of Orvanta wrote it"));
    if (!index.value(QStringLiteral("texts")).isArray())
        return damaged(QStringLiteral("it is damaged"));
    std::vector<KeptEntry> entries;
    std::set<QByteArray> keys;
    std::set<QString> files;
    for (const QJsonValue &value : index.value(QStringLiteral("texts")).toArray()) {
        Result<KeptEntry> entry = entryOf(value);
        if (!entry.ok())
            return Failure{QStringLiteral("it names %1").arg(entry.error())};
        if (!keys.insert(entry->key).second ||
            (!entry->fileName.isEmpty() && !files.insert(entry->fileName).second))
            return damaged(QStringLiteral("it names one text twice"));
        entries.push_back(std::move(entry).value());
    }
    return entries;
}

QByteArray writeKeptIndex(const std::vector<KeptEntry> &entries)
{
    QJsonArray texts;
    for (const KeptEntry &entry : entries) {
        QJsonArray pages;
        for (const qint64 start : entry.text->pageStarts)
            pages.append(double(start));
        QJsonArray recognised;
        for (const int page : entry.text->recognisedPages)
            recognised.append(page);
        texts.append(QJsonObject{{kKey, QString::fromLatin1(entry.key.toBase64())},
                                 {kFile, entry.fileName},
                                 {kOutcome, int(entry.text->outcome)},
                                 {kBytes, double(entry.text->bytes)},
                                 {kNoText, entry.text->noText},
                                 {kPages, pages},
                                 {kRecognised, recognised}});
    }
    return QJsonDocument(QJsonObject{{QStringLiteral("format"), kKeptIndexFormat},
                                     {QStringLiteral("texts"), texts}})
        .toJson(QJsonDocument::Compact);
}

std::vector<KeptEntry> loadKeptIndex(const Directory &folder,
                                     const std::function<void(const QString &)> &notice)
{
    Result<std::vector<KeptEntry>> read = readKeptIndex(folder);
    if (!read.ok()) {
        folder.rename(QLatin1String(kKeptIndexName), QLatin1String(kSetAsideIndexName));
        if (notice)
            notice(QStringLiteral("The index of the folder %1 was not used, since %2; it was set "
                                  "aside as %3 and the texts are made again.")
                       .arg(folder.path(), read.error(), QLatin1String(kSetAsideIndexName)));
        read = std::vector<KeptEntry>();
    }
    std::vector<KeptEntry> entries;
    std::vector<QString> named;
    for (KeptEntry &entry : *read) {
        if (entry.text->isKept() && !fileMatches(folder, entry.fileName, entry.text->bytes))
            continue;
        named.push_back(entry.fileName);
        entries.push_back(std::move(entry));
    }
    sweepKeptFolder(folder, named);
    return entries;
}

void saveKeptIndex(const Directory &folder, const std::vector<KeptEntry> &entries)
{
    Descriptor fd;
    const Result<QString> part =
        folder.createUniqueFile(QStringLiteral("index-"), QStringLiteral(".part"), fd);
    if (!part.ok())
        return;
    if (writeAll(fd.get(), writeKeptIndex(entries)) && ::fsync(fd.get()) == 0)
        folder.rename(*part, QLatin1String(kKeptIndexName));
    else
        folder.removeFile(*part);
}

} // namespace orvanta
