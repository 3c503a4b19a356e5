#pragma once

#include "results/ClipboardExport.h"

#include <QStringList>

namespace orvanta {

// A clipboard that refuses the first attempts of each operation and records every call.
class FlakyClipboard final : public ClipboardAccess {
public:
    bool clear() override
    {
        calls << QStringLiteral("clear");
        return ++clearAttempts > clearRefusals;
    }
    bool setText(const QString &text) override
    {
        calls << QStringLiteral("set:") + text;
        return ++setAttempts > setRefusals;
    }

    int clearRefusals = 0;
    int setRefusals = 0;
    int clearAttempts = 0;
    int setAttempts = 0;
    QStringList calls;
};

} // namespace orvanta
