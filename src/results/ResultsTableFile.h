#pragma once

#include "base/Result.h"
#include "phrases/PhraseResults.h"

#include <QByteArray>
#include <QByteArrayView>

#include <cstdint>
#include <span>
#include <stop_token>

namespace orvanta {

inline constexpr auto kCsvFilter = "CSV Files (*.csv)";
inline constexpr auto kWorkbookFilter = "Excel Workbooks (*.xlsx)";

// One field of a CSV record as RFC 4180 has it: quoted, with its quotes doubled, when it holds
// a comma, a quote, a CR or an LF; otherwise as it is.
QByteArray csvField(QByteArrayView text);

// Each writes a header row (Phrase, Words, Frequency, Files) and then one row per result of
// `ids`, in that order: as UTF-8 CSV with CR LF after every record, or as an .xlsx workbook
// whose counts are numbers. The file is written beside `path` under another name and renamed
// into place only when complete, so a failure or a stop leaves what was at `path` before.
Status writeResultsCsv(const QString &path, const PhraseResults &results,
                       std::span<const std::uint32_t> ids, std::stop_token stop = {});
Status writeResultsWorkbook(const QString &path, const PhraseResults &results,
                            std::span<const std::uint32_t> ids, std::stop_token stop = {});

} // namespace orvanta
