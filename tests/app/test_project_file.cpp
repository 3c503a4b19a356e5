// Projects on disk: what a .orvanta file keeps comes back as it was saved, and a file that is
// damaged or from a newer version is refused with a message that says why.

#include "QtPrinters.h"
#include "app/ProjectFile.h"
#include "app/RunPreferences.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace orvanta;

namespace {

// Two files, three results with their counts per file, one ticked and one removed.
Project sampleProject(const QString &folder)
{
    Project project;
    project.files = {folder + QStringLiteral("/b.pdf"), folder + QStringLiteral("/a é.pdf")};
    project.referenceFiles = {project.files[1]};
    project.lengths[2] = project.lengths[17] = true;
    project.moreLengths = QStringLiteral("20, 2-5");
    project.promptForPassword = true;
    RunPreferences options;
    options.text.ignorePunctuation = true;
    options.readScannedPages = true;
    options.languages = {QStringLiteral("eng"), QStringLiteral("deu")};
    project.runOptions = options.entries();
    const std::uint32_t files[] = {2, 1, 2};
    std::span<FileCount> counts = project.results.appendFileCounts(files);
    const FileCount filled[] = {{0, 2}, {1, 1}, {1, 5}, {0, 1}, {1, 9}};
    std::copy(std::begin(filled), std::end(filled), counts.begin());
    project.results.append("the end of", 3, 3, 2);
    project.results.append("straße und", 2, 5, 1);
    project.results.append("of \"the\\\tend", 2, 10, 2); // quotes, a backslash, a tab
    project.ticked = {0};
    project.removed = {2};
    project.explorer = {QStringLiteral("^the"), true, 3, 2, 2, true, 2};
    project.summary = RunSummary{2, 1234, 0, 5678};
    return project;
}

QStringList rowsOf(const PhraseResults &results)
{
    QStringList rows;
    for (qsizetype r = 0; r < results.size(); ++r) {
        QString counts;
        for (const FileCount &count : results.fileCounts(r))
            counts += QStringLiteral(" %1:%2").arg(count.file).arg(count.frequency);
        rows << QStringLiteral("%1|%2|%3|%4|%5")
                    .arg(results.row(r).phrase)
                    .arg(results.wordCount(r))
                    .arg(results.frequency(r))
                    .arg(results.files(r))
                    .arg(counts);
    }
    return rows;
}

QJsonObject sampleJson()
{
    return QJsonDocument::fromJson(projectJson(sampleProject(QStringLiteral("/docs")))).object();
}

QJsonObject withResult(const char *name, const QJsonValue &value)
{
    QJsonObject root = sampleJson();
    QJsonObject results = root.value(QStringLiteral("results")).toObject();
    results.insert(QLatin1String(name), value);
    root.insert(QStringLiteral("results"), results);
    return root;
}

QJsonObject with(const char *name, const QJsonValue &value)
{
    QJsonObject root = sampleJson();
    root.insert(QLatin1String(name), value);
    return root;
}

QByteArray bytes(const QJsonObject &object)
{
    return QJsonDocument(object).toJson();
}

} // namespace

TEST(ProjectFile, WhatIsSavedComesBackAsItWas)
{
    QTemporaryDir dir;
    const Project saved = sampleProject(dir.path());
    const QString path = dir.filePath(QStringLiteral("session.orvanta"));
    ASSERT_TRUE(writeProject(path, saved).ok());
    const Result<Project> opened = readProject(path);
    ASSERT_TRUE(opened.ok()) << opened.error().toStdString();
    EXPECT_EQ(opened->files, saved.files);
    EXPECT_EQ(opened->referenceFiles, saved.referenceFiles);
    EXPECT_EQ(opened->lengths, saved.lengths);
    EXPECT_EQ(opened->moreLengths, saved.moreLengths);
    EXPECT_TRUE(opened->promptForPassword);
    EXPECT_EQ(RunPreferences::read(opened->runOptions), RunPreferences::read(saved.runOptions));
    EXPECT_EQ(rowsOf(opened->results), rowsOf(saved.results));
    EXPECT_EQ(rowsOf(opened->results).value(1), QStringLiteral("straße und|2|5|1| 1:5"));
    EXPECT_EQ(opened->ticked, saved.ticked);
    EXPECT_EQ(opened->removed, saved.removed);
    EXPECT_EQ(opened->explorer, saved.explorer);
    ASSERT_TRUE(opened->summary.has_value());
    EXPECT_EQ(opened->summary->words, 1234u);
    EXPECT_EQ(opened->summary->milliseconds, 5678);
    EXPECT_EQ(missingFiles(*opened), saved.files) << "neither PDF exists";
    QFile(saved.files[1]).open(QIODevice::WriteOnly);
    EXPECT_EQ(missingFiles(*opened), QStringList{saved.files[0]});
}

TEST(ProjectFile, ADamagedOrNewerProjectIsRefusedSayingWhy)
{
    const struct {
        const char *name;
        QByteArray json;
        const char *says;
    } cases[] = {
        {"not JSON", "{\"format\": \"orvanta-project\", ", "it is not a project file"},
        {"another JSON file", bytes(with("format", QStringLiteral("other"))),
         "it is not a project file"},
        {"no version", bytes(with("version", QJsonValue())), "it has no version"},
        {"a newer version", bytes(with("version", kProjectVersion + 1)),
         "saved by a newer version of Orvanta (project version 2)"},
        {"no files", bytes(with("files", 3)), "\"files\" is missing"},
        {"a length out of range", bytes(with("lengths", QJsonArray{1})), "out of range"},
        {"counts short of the phrases", bytes(withResult("words", QJsonArray{3, 2})),
         "\"words\" does not have one entry per result"},
        {"a tick past the results", bytes(withResult("ticked", QJsonArray{3})), "out of range"},
        {"a negative frequency", bytes(withResult("frequencies", QJsonArray{3, -5, 10})),
         "out of range"},
        {"a phrase that is no text", bytes(withResult("phrases", QJsonArray{1, 2, 3})),
         "a phrase is not text"},
        {"counts per file that do not add up",
         bytes(withResult("fileCounts",
                          QJsonArray{QJsonArray{0, 2}, QJsonArray{1, 5}, QJsonArray{0, 1, 1, 9}})),
         "the counts per file do not match"},
        {"a filter past the choices",
         bytes(with("explorer", QJsonObject{{QStringLiteral("presence"), 4}})), "out of range"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const Result<Project> project = projectFromJson(c.json);
        ASSERT_FALSE(project.ok());
        EXPECT_TRUE(project.error().contains(QLatin1String(c.says)))
            << project.error().toStdString();
    }
}

// Projects saved before files could be marked as the reference set open with none marked.
TEST(ProjectFile, AProjectWithoutAReferenceSetOpensWithNone)
{
    QJsonObject root = sampleJson();
    root.remove(QStringLiteral("referenceFiles"));
    QJsonObject explorer = root.value(QStringLiteral("explorer")).toObject();
    explorer.remove(QStringLiteral("presence"));
    root.insert(QStringLiteral("explorer"), explorer);
    const Result<Project> project = projectFromJson(bytes(root));
    ASSERT_TRUE(project.ok()) << project.error().toStdString();
    EXPECT_TRUE(project->referenceFiles.isEmpty());
    EXPECT_EQ(project->explorer.presence, 0);
    EXPECT_FALSE(projectJson(*project).contains("referenceFiles"));
}

TEST(ProjectFile, AProjectThatCannotBeWrittenOrReadIsNamed)
{
    QTemporaryDir dir;
    const QString nowhere = dir.filePath(QStringLiteral("no folder/session.orvanta"));
    const Result<void> written = writeProject(nowhere, sampleProject(dir.path()));
    ASSERT_FALSE(written.ok());
    EXPECT_TRUE(written.error().contains(nowhere));
    const Result<Project> read = readProject(nowhere);
    ASSERT_FALSE(read.ok());
    EXPECT_TRUE(read.error().startsWith(
        QStringLiteral("The project \"%1\" cannot be opened").arg(nowhere)));
}
