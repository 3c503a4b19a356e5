#include "app/ProjectFile.h"

#include "base/OutputFile.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <limits>

namespace orvanta {

namespace {

constexpr auto kFormat = "orvanta-project";
constexpr int kMostPresence = 3; // "In both"

QString damaged(const QString &why)
{
    return QStringLiteral("The project is damaged: %1.").arg(why);
}

// The results are written by hand: a million rows through QJsonArray take seconds.
void appendString(QByteArray &out, std::string_view utf8)
{
    out += '"';
    for (const char c : utf8) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            out += QByteArray("\\u00") + QByteArray::number(int(c), 16).rightJustified(2, '0');
        } else {
            out += c;
        }
    }
    out += '"';
}

template <typename Number> void appendNumbers(QByteArray &out, qsizetype count, Number number)
{
    out += '[';
    for (qsizetype i = 0; i < count; ++i) {
        if (i > 0)
            out += ',';
        out += QByteArray::number(qint64(number(i)));
    }
    out += ']';
}

void appendResults(QByteArray &out, const Project &project)
{
    const PhraseResults &results = project.results;
    const qsizetype rows = results.size();
    out += "{\"phrases\":[";
    for (qsizetype row = 0; row < rows; ++row) {
        if (row > 0)
            out += ',';
        appendString(out, results.phraseUtf8(row));
    }
    out += "],\"words\":";
    appendNumbers(out, rows, [&](qsizetype row) { return results.wordCount(row); });
    out += ",\"frequencies\":";
    appendNumbers(out, rows, [&](qsizetype row) { return results.frequency(row); });
    out += ",\"files\":";
    appendNumbers(out, rows, [&](qsizetype row) { return results.files(row); });
    if (results.hasFileCounts()) {
        out += ",\"fileCounts\":[";
        for (qsizetype row = 0; row < rows; ++row) {
            const std::span<const FileCount> counts = results.fileCounts(row);
            out += row > 0 ? ",[" : "[";
            for (size_t i = 0; i < counts.size(); ++i) {
                out += i > 0 ? "," : "";
                out += QByteArray::number(counts[i].file) + ',' +
                       QByteArray::number(counts[i].frequency);
            }
            out += ']';
        }
        out += ']';
    }
    out += ",\"ticked\":";
    appendNumbers(out, qsizetype(project.ticked.size()),
                  [&](qsizetype i) { return project.ticked[size_t(i)]; });
    out += ",\"removed\":";
    appendNumbers(out, qsizetype(project.removed.size()),
                  [&](qsizetype i) { return project.removed[size_t(i)]; });
    out += '}';
}

QJsonObject explorerObject(const ExplorerState &state)
{
    return {{QStringLiteral("filter"), state.filter},
            {QStringLiteral("regularExpression"), state.regularExpression},
            {QStringLiteral("leastFrequency"), state.leastFrequency},
            {QStringLiteral("leastFiles"), state.leastFiles},
            {QStringLiteral("sortColumn"), state.sortColumn},
            {QStringLiteral("descending"), state.descending},
            {QStringLiteral("presence"), state.presence}};
}

// Reading: every value is checked for its kind and range, so a damaged file is refused whole.
class Reader {
public:
    QString problem;

    bool fail(const QString &why)
    {
        if (problem.isEmpty())
            problem = damaged(why);
        return false;
    }

    QJsonArray array(const QJsonObject &object, const char *name, qsizetype size = -1)
    {
        const QJsonValue value = object.value(QLatin1String(name));
        if (!value.isArray())
            fail(QStringLiteral("\"%1\" is missing").arg(QLatin1String(name)));
        else if (size >= 0 && value.toArray().size() != size)
            fail(QStringLiteral("\"%1\" does not have one entry per result")
                     .arg(QLatin1String(name)));
        return value.toArray();
    }

    std::uint32_t number(const QJsonValue &value, std::uint64_t bound)
    {
        const double number = value.toDouble(-1);
        if (!value.isDouble() || number < 0 || number >= double(bound) || number != qint64(number))
            fail(QStringLiteral("a number is out of range"));
        return problem.isEmpty() ? std::uint32_t(number) : 0;
    }

    std::vector<std::uint32_t> ids(const QJsonObject &object, const char *name, qsizetype rows)
    {
        std::vector<std::uint32_t> ids;
        for (const QJsonValue &value : array(object, name))
            ids.push_back(number(value, std::uint64_t(rows)));
        return ids;
    }

    PhraseResults results(const QJsonObject &object)
    {
        const QJsonArray phrases = array(object, "phrases");
        const qsizetype rows = phrases.size();
        const QJsonArray words = array(object, "words", rows);
        const QJsonArray frequencies = array(object, "frequencies", rows);
        const QJsonArray files = array(object, "files", rows);
        constexpr std::uint64_t kMost = std::numeric_limits<std::uint32_t>::max();
        PhraseResults results;
        if (!problem.isEmpty())
            return results;
        if (object.contains(QStringLiteral("fileCounts")))
            readFileCounts(array(object, "fileCounts", rows), files, results);
        for (qsizetype row = 0; row < rows && problem.isEmpty(); ++row) {
            if (!phrases[row].isString())
                fail(QStringLiteral("a phrase is not text"));
            const QByteArray phrase = phrases[row].toString().toUtf8();
            results.append(std::string_view(phrase.constData(), size_t(phrase.size())),
                           int(number(words[row], kMost)), int(number(frequencies[row], kMost)),
                           int(number(files[row], kMost)));
        }
        return results;
    }

    void readFileCounts(const QJsonArray &rows, const QJsonArray &files, PhraseResults &results)
    {
        std::vector<std::uint32_t> perRow;
        for (qsizetype row = 0; row < rows.size() && problem.isEmpty(); ++row) {
            perRow.push_back(std::uint32_t(rows[row].toArray().size() / 2));
            if (!rows[row].isArray() || rows[row].toArray().size() % 2 != 0 ||
                files[row].toDouble() != perRow.back())
                fail(QStringLiteral("the counts per file do not match the results"));
        }
        if (!problem.isEmpty())
            return;
        std::span<FileCount> counts = results.appendFileCounts(perRow);
        size_t next = 0;
        for (const QJsonValue &row : rows) {
            const QJsonArray pairs = row.toArray();
            for (qsizetype i = 0; i < pairs.size(); i += 2)
                counts[next++] = {number(pairs[i], std::numeric_limits<std::uint32_t>::max()),
                                  number(pairs[i + 1], std::numeric_limits<std::uint32_t>::max())};
        }
    }
};

} // namespace

QByteArray projectJson(const Project &project)
{
    QJsonArray lengths;
    for (int i = 0; i < kListedLengthCount; ++i) {
        if (project.lengths[size_t(i)])
            lengths.append(i + 2);
    }
    QJsonObject options;
    for (const auto &[key, text] : project.runOptions)
        options.insert(key, text);
    QJsonObject root{{QStringLiteral("format"), QLatin1String(kFormat)},
                     {QStringLiteral("version"), kProjectVersion},
                     {QStringLiteral("files"), QJsonArray::fromStringList(project.files)},
                     {QStringLiteral("lengths"), lengths},
                     {QStringLiteral("moreLengths"), project.moreLengths},
                     {QStringLiteral("promptForPassword"), project.promptForPassword},
                     {QStringLiteral("runOptions"), options},
                     {QStringLiteral("explorer"), explorerObject(project.explorer)}};
    if (!project.referenceFiles.isEmpty())
        root.insert(QStringLiteral("referenceFiles"),
                    QJsonArray::fromStringList(project.referenceFiles));
    if (project.summary)
        root.insert(
            QStringLiteral("summary"),
            QJsonObject{{QStringLiteral("files"), qint64(project.summary->files)},
                        {QStringLiteral("words"), qint64(project.summary->words)},
                        {QStringLiteral("milliseconds"), qint64(project.summary->milliseconds)}});
    QByteArray json = QJsonDocument(root).toJson(QJsonDocument::Compact);
    json.reserve(json.size() + project.results.size() * 48);
    json.chop(1); // the closing brace: the results follow
    json += ",\"results\":";
    appendResults(json, project);
    json += '}';
    return json;
}

Result<Project> projectFromJson(const QByteArray &json)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return Failure{damaged(QStringLiteral("it is not a project file"))};
    const QJsonObject root = document.object();
    if (root.value(QStringLiteral("format")).toString() != QLatin1String(kFormat))
        return Failure{damaged(QStringLiteral("it is not a project file"))};
    const int version = root.value(QStringLiteral("version")).toInt(0);
    if (version > kProjectVersion)
        return Failure{QStringLiteral("The project was saved by a newer version of Orvanta "
                                      "(project version %1); this one opens projects up to "
                                      "version %2.")
                           .arg(version)
                           .arg(kProjectVersion)};
    if (version < 1)
        return Failure{damaged(QStringLiteral("it has no version"))};

    Reader reader;
    Project project;
    for (const QJsonValue &file : reader.array(root, "files"))
        project.files << file.toString();
    for (const QJsonValue &file : root.value(QStringLiteral("referenceFiles")).toArray())
        project.referenceFiles << file.toString();
    for (const QJsonValue &length : reader.array(root, "lengths")) {
        const std::uint32_t words = reader.number(length, kListedLengthCount + 2);
        if (words < 2)
            reader.fail(QStringLiteral("a length is out of range"));
        else
            project.lengths[words - 2] = true;
    }
    project.moreLengths = root.value(QStringLiteral("moreLengths")).toString();
    project.promptForPassword = root.value(QStringLiteral("promptForPassword")).toBool();
    const QJsonObject options = root.value(QStringLiteral("runOptions")).toObject();
    for (auto option = options.begin(); option != options.end(); ++option)
        project.runOptions.emplace_back(option.key(), option.value().toString());
    const QJsonObject results = root.value(QStringLiteral("results")).toObject();
    project.results = reader.results(results);
    project.ticked = reader.ids(results, "ticked", project.results.size());
    project.removed = reader.ids(results, "removed", project.results.size());
    const QJsonObject explorer = root.value(QStringLiteral("explorer")).toObject();
    project.explorer = {explorer.value(QStringLiteral("filter")).toString(),
                        explorer.value(QStringLiteral("regularExpression")).toBool(),
                        explorer.value(QStringLiteral("leastFrequency")).toInt(2),
                        explorer.value(QStringLiteral("leastFiles")).toInt(1),
                        explorer.value(QStringLiteral("sortColumn")).toInt(-1),
                        explorer.value(QStringLiteral("descending")).toBool(),
                        explorer.value(QStringLiteral("presence")).toInt(0)};
    if (project.explorer.presence < 0 || project.explorer.presence > kMostPresence)
        reader.fail(QStringLiteral("the explorer's filter is out of range"));
    const QJsonObject summary = root.value(QStringLiteral("summary")).toObject();
    if (!summary.isEmpty())
        project.summary =
            RunSummary{std::uint64_t(summary.value(QStringLiteral("files")).toInteger()),
                       std::uint64_t(summary.value(QStringLiteral("words")).toInteger()), 0,
                       summary.value(QStringLiteral("milliseconds")).toInteger()};
    if (!reader.problem.isEmpty())
        return Failure{reader.problem};
    return project;
}

Result<void> writeProject(const QString &path, const Project &project)
{
    OutputFile file(path);
    if (!file.open() || !file.write(projectJson(project)) || !file.finish())
        return Failure{QStringLiteral("The project cannot be saved as \"%1\": %2")
                           .arg(path, file.errorString())};
    return {};
}

Result<Project> readProject(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Failure{QStringLiteral("The project \"%1\" cannot be opened: %2")
                           .arg(path, file.errorString())};
    Result<Project> project = projectFromJson(file.readAll());
    if (!project)
        return Failure{
            QStringLiteral("The project \"%1\" cannot be opened. %2").arg(path, project.error())};
    return project;
}

QStringList missingFiles(const Project &project)
{
    QStringList missing;
    for (const QString &path : project.files) {
        if (!QFileInfo(path).isFile())
            missing << path;
    }
    return missing;
}

} // namespace orvanta
