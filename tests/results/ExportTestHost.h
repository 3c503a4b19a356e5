#pragma once

#include "ScriptedDialogService.h"
#include "base/ErrorReport.h"
#include "phrases/PhraseResults.h"
#include "results/ExportHost.h"
#include "results/ResultsModel.h"

#include <string>
#include <vector>

namespace orvanta {

inline const QString kTestTitle = QStringLiteral("Orvanta");
inline const QString kTestTag = QStringLiteral("in Test.Export ");

// The window as the exports see it: scripted dialogs, recorded reports and pointer modes.
class ExportTestHost : public ErrorSink {
public:
    ExportHost host()
    {
        return {dialogs, *this, kTestTitle,
                [this](PointerMode mode) { pointerModes.push_back(mode); },
                [this] {
                    if (onEvents)
                        onEvents();
                }};
    }

    void report(const ErrorReport &report) override { reports.push_back(report); }

    ScriptedDialogService dialogs;
    std::vector<ErrorReport> reports;
    std::vector<int> pointerModes;
    std::function<void()> onEvents;
};

struct ListRow {
    std::string phrase;
    int wordCount;
    int frequency;
    bool ticked;
};

// Fills the real results model as a counting run would, then ticks.
inline void fillResults(ResultsModel &model, const std::vector<ListRow> &rows)
{
    PhraseResults results;
    for (const ListRow &row : rows)
        results.append(row.phrase, row.wordCount, row.frequency);
    model.setResults(std::move(results));
    for (size_t i = 0; i < rows.size(); ++i)
        model.setTicked(int(i), rows[i].ticked);
}

} // namespace orvanta
