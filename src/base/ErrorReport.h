#pragma once

#include <QString>

#include <functional>
#include <stdexcept>

namespace orvanta {

// An unexpected failure of one step of a trapped operation.
struct ErrorReport {
    QString description;
    QString locationTag; // "in Quorvel2021/08/31.Module.Operation " (ends in a blank)
    int line = 0;

    QString message() const;
};

inline constexpr auto kErrorReportTitle = "Application Error";
inline constexpr auto kSupportAddress = "support@teralune.example";

// Where reports go: the window shows a box, the command line prints to stderr.
class ErrorSink {
public:
    virtual ~ErrorSink() = default;
    virtual void report(const ErrorReport &report) = 0;
};

// Thrown by code that runs inside a trapped step; the step reports its text.
class OperationError : public std::runtime_error {
public:
    explicit OperationError(const QString &description);
    QString description() const { return QString::fromUtf8(what()); }
};

// Runs an operation as numbered steps (100, 102, 104, ...). A step that throws is reported
// with its number and the operation goes on with the next step; nothing is rolled back.
class TrappedOperation {
public:
    TrappedOperation(QString locationTag, ErrorSink &sink);

    // Runs one step and returns true when it finished without a failure.
    bool step(const std::function<void()> &body);
    // The same for a step whose number is fixed, such as one inside a loop.
    bool step(int line, const std::function<void()> &body);

private:
    QString m_locationTag;
    ErrorSink &m_sink;
    int m_line = 100;
};

// Location tags of the trapped operations.
QString locationTag(const QString &module, const QString &operation);

} // namespace orvanta
