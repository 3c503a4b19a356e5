#pragma once

#include <QString>

#include <functional>

namespace orvanta {

class DialogService;
class ErrorSink;

// What an export of the results list needs from the window around it.
struct ExportHost {
    // The window's pointer modes that the exports set.
    enum Pointer : int { DefaultPointer = 0, ArrowPointer = 1, Hourglass = 11 };

    DialogService &dialogs;
    ErrorSink &errors;
    QString title; // the application title of every message box
    std::function<void(int mode)> setPointerMode;
    // Lets pending window events run; called once per row of the list.
    std::function<void()> letEventsRun;

    void pointer(int mode) const
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
