#pragma once

#include <QMap>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QXmlStreamReader>

namespace orvanta {

// What a spreadsheet program would read from a workbook written by the exports: the cells of
// the first sheet by reference ("A1"), the column widths, and whatever kept it from reading.
struct XlsxContents {
    QMap<QString, QString> cells;
    QStringList cellTypes;    // the t attribute of every cell
    QMap<int, double> widths; // column (from 1): width
    QString error;
};

// Turns the workbook escapes _xHHHH_ back into characters, as spreadsheet programs do.
inline QString unescapeWorkbookText(const QString &text)
{
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        bool ok = false;
        if (text.mid(i, 2) == QLatin1String("_x") && text.mid(i + 6, 1) == QLatin1String("_")) {
            const uint code = text.mid(i + 2, 4).toUInt(&ok, 16);
            if (ok && text.mid(i + 2, 4).size() == 4) {
                out += QChar(char16_t(code));
                i += 6;
                continue;
            }
        }
        out += text.at(i);
    }
    return out;
}

inline QByteArray unzipEntry(const QString &unzipProgram, const QString &path, const QString &entry,
                             QString &error)
{
    QProcess unzip;
    unzip.start(unzipProgram, {QStringLiteral("-p"), path, entry});
    if (!unzip.waitForFinished(60000) || unzip.exitCode() != 0) {
        error = QStringLiteral("unzip -p %1 %2 failed: %3")
                    .arg(path, entry, QString::fromLocal8Bit(unzip.readAllStandardError()));
        return {};
    }
    return unzip.readAllStandardOutput();
}

inline QStringList readSharedStrings(const QByteArray &xml, QString &error)
{
    QStringList strings;
    QXmlStreamReader reader(xml);
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement() && reader.name() == QLatin1String("si"))
            strings << QString();
        else if (reader.isStartElement() && reader.name() == QLatin1String("t"))
            strings.last() += unescapeWorkbookText(reader.readElementText());
    }
    if (reader.hasError())
        error = QStringLiteral("sharedStrings.xml: ") + reader.errorString();
    return strings;
}

inline void readSheet(const QByteArray &xml, const QStringList &strings, XlsxContents &contents)
{
    QXmlStreamReader reader(xml);
    QString reference;
    QString type;
    while (!reader.atEnd()) {
        reader.readNext();
        if (!reader.isStartElement())
            continue;
        const QXmlStreamAttributes attributes = reader.attributes();
        if (reader.name() == QLatin1String("c")) {
            reference = attributes.value(QLatin1String("r")).toString();
            type = attributes.value(QLatin1String("t")).toString();
            contents.cellTypes << type;
        } else if (reader.name() == QLatin1String("t") && type == QLatin1String("inlineStr")) {
            contents.cells[reference] = unescapeWorkbookText(reader.readElementText());
        } else if (reader.name() == QLatin1String("v")) {
            const QString value = reader.readElementText();
            contents.cells[reference] = type == QLatin1String("s")
                                            ? strings.value(value.toInt())
                                            : QStringLiteral("<%1>").arg(value);
        } else if (reader.name() == QLatin1String("col")) {
            const int first = attributes.value(QLatin1String("min")).toInt();
            const int last = attributes.value(QLatin1String("max")).toInt();
            for (int column = first; column <= last; ++column)
                contents.widths[column] = attributes.value(QLatin1String("width")).toDouble();
        }
    }
    if (reader.hasError())
        contents.error = QStringLiteral("sheet1.xml: ") + reader.errorString();
}

// Reads the workbook with the given unzip program (found before a test changes PATH).
inline XlsxContents readXlsx(const QString &path, const QString &unzipProgram)
{
    XlsxContents contents;
    const QByteArray sheet =
        unzipEntry(unzipProgram, path, QStringLiteral("xl/worksheets/sheet1.xml"), contents.error);
    if (!contents.error.isEmpty())
        return contents;
    QStringList strings;
    if (sheet.contains("t=\"s\"")) {
        const QByteArray shared =
            unzipEntry(unzipProgram, path, QStringLiteral("xl/sharedStrings.xml"), contents.error);
        strings = readSharedStrings(shared, contents.error);
        if (!contents.error.isEmpty())
            return contents;
    }
    readSheet(sheet, strings, contents);
    return contents;
}

} // namespace orvanta
