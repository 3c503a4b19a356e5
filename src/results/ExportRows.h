#pragma once

#include "phrases/PhraseResults.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace orvanta {

class ResultKeyness;
class ResultMeasures;
class ResultsModel;

// One cell of a row written out: UTF-8 text, or a whole number.
struct ExportCell {
    QByteArrayView text;
    qint64 number = 0;
    bool isNumber = false;
};

// What an export writes: headers and rows of as many cells. A left-out row (an unticked row of
// the results list where only ticked rows go out) leaves no line in text, CSV and clipboard
// text, and an empty row in a workbook, whose rows then keep the list's numbering. Rows are
// read from the thread that writes them, so they are a copy that the list's changes never reach.
class ExportRows {
public:
    virtual ~ExportRows() = default;

    virtual QStringList headers() const = 0;
    virtual qsizetype rowCount() const = 0;
    // The row's cells, one per header; their text stays valid until the next call.
    virtual std::span<const ExportCell> cells(qsizetype row) = 0;
    virtual bool isLeftOut(qsizetype) const { return false; }
};

// Results of a run by their ids, in the order of the ids: phrase, words, frequency and files,
// and with measures of those results, per million and DP to four decimals (DP left empty when
// the run did not count by file); with their keyness against a reference set, the frequencies in
// the target and the reference, log-likelihood and log ratio under the command line's names. The
// rows an explorer list shows.
class ResultRows final : public ExportRows {
public:
    ResultRows(std::shared_ptr<const PhraseResults> results, std::vector<std::uint32_t> ids,
               std::shared_ptr<const ResultMeasures> measures = {},
               std::shared_ptr<const ResultKeyness> keyness = {});

    QStringList headers() const override;
    qsizetype rowCount() const override { return qsizetype(m_ids.size()); }
    std::span<const ExportCell> cells(qsizetype row) override;

private:
    std::shared_ptr<const PhraseResults> m_results;
    std::vector<std::uint32_t> m_ids;
    std::shared_ptr<const ResultMeasures> m_measures;
    std::shared_ptr<const ResultKeyness> m_keyness;
    QByteArray m_perMillion;
    QByteArray m_dispersion;
    QByteArray m_logLikelihood;
    QByteArray m_logRatio;
    std::vector<ExportCell> m_cells;
};

// The results list as it shows, under its own headers: the phrase with its leading space, the
// word count and the frequency, for every listed row or for the ticked ones only.
class ListRows final : public ExportRows {
public:
    enum class Rows { All, TickedOnly };

    ListRows(const ResultsModel &list, Rows rows);

    QStringList headers() const override { return m_headers; }
    qsizetype rowCount() const override { return qsizetype(m_ids.size()); }
    std::span<const ExportCell> cells(qsizetype row) override;
    bool isLeftOut(qsizetype row) const override { return m_leftOut[size_t(row)]; }

private:
    std::shared_ptr<const PhraseResults> m_results;
    std::vector<std::uint32_t> m_ids;
    std::vector<bool> m_leftOut;
    QStringList m_headers;
    QByteArray m_phrase;
    ExportCell m_cells[3];
};

} // namespace orvanta
