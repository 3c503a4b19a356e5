#pragma once

#include "app/PointerMode.h"

#include <QString>

#include <functional>

namespace orvanta {

class DialogService;
class ErrorSink;

// What an export of the results list needs from the window around it.
struct ExportHost {
    DialogService &dialogs;
    ErrorSink &errors;
    QString title; // the application title of every message box
    std::function<void(PointerMode mode)> setPointerMode;
    // Lets pending window events run; called once per row of the list.
    std::function<void()> letEventsRun;

    void pointer(PointerMode mode) const
    {
        if (setPointerMode)
            setPointerMode(mode);
    }
    void yield() const
    {
        if (letEventsRun)
            letEventsRun();
    }
};

} // namespace orvanta
