#include "filelist/SampleFiles.h"

#include "base/FileHelpers.h"
#include "filelist/FolderListing.h"
#include "filelist/FolderScan.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSet>

namespace orvanta {

namespace {

constexpr int kWrap = 255;
const QLatin1Char kSeparator('|');

template <typename Combine>
QByteArray walkWithKey(const QByteArray &text, const QByteArray &key, Combine combine)
{
    QByteArray result(text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const int a = quint8(text[i]);
        const int b = key.isEmpty() ? 0 : quint8(key[i % key.size()]);
        result[i] = char(combine(a, b));
    }
    return result;
}

} // namespace

QByteArray scrambleBytes(const QByteArray &plain, const QByteArray &key)
{
    return walkWithKey(plain, key,
                       [](int a, int b) { return a + b > kWrap ? a + b - kWrap : a + b; });
}

QByteArray unscrambleBytes(const QByteArray &scrambled, const QByteArray &key)
{
    return walkWithKey(scrambled, key,
                       [](int a, int b) { return a - b < 1 ? a - b + kWrap : a - b; });
}

QString scrambleText(const QString &plain)
{
    return QString::fromLatin1(scrambleBytes(plain.toUtf8()).toBase64());
}

QString unscrambleText(const QString &stored)
{
    const auto decoded =
        QByteArray::fromBase64Encoding(stored.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded)
        return {};
    return QString::fromUtf8(unscrambleBytes(*decoded));
}

QString samplesFolder(const QString &appDir)
{
    return appDir + QStringLiteral("/Samples");
}

QString samplesSnapshotText(const QString &appDir)
{
    const QString folder = samplesFolder(appDir);
    QJsonArray paths;
    for (const QString &name : listFilesInFolder(folder, QLatin1String(kDropPattern)).names)
        paths.append(folder + QLatin1Char('/') + name);
    return paths.isEmpty() ? QString()
                           : QString::fromUtf8(QJsonDocument(paths).toJson(QJsonDocument::Compact));
}

QStringList snapshotPaths(const QString &snapshot)
{
    // Snapshots stored by earlier versions join the paths with "|".
    if (!snapshot.startsWith(QLatin1Char('[')))
        return snapshot.split(kSeparator, Qt::SkipEmptyParts);
    QStringList paths;
    for (const QJsonValue &path : QJsonDocument::fromJson(snapshot.toUtf8()).array())
        paths << path.toString();
    return paths;
}

QStringList samplesToAdd(const QStringList &snapshot, const QStringList &rows)
{
    QSet<QString> listed(rows.cbegin(), rows.cend());
    QStringList added;
    for (const QString &path : snapshot) {
        if (!listed.contains(path) && fileExists(path)) {
            listed.insert(path);
            added << path;
        }
    }
    return added;
}

} // namespace orvanta
