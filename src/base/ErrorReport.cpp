#include "base/ErrorReport.h"

namespace orvanta {

QString ErrorReport::message() const
{
    return description + QStringLiteral("\r\n") + locationTag + QStringLiteral("at line ") +
           QString::number(line) + QStringLiteral("\r\r") +
           QStringLiteral("Please email screenshot of this message to ") +
           QLatin1String(kSupportAddress);
}

OperationError::OperationError(const QString &description)
    : std::runtime_error(description.toStdString())
{
}

TrappedOperation::TrappedOperation(QString locationTag, ErrorSink &sink)
    : m_locationTag(std::move(locationTag))
    , m_sink(sink)
{
}

bool TrappedOperation::step(const std::function<void()> &body)
{
    const int line = m_line;
    m_line += 2;
    return step(line, body);
}

bool TrappedOperation::step(int line, const std::function<void()> &body)
{
    QString failure;
    try {
        body();
        return true;
    } catch (const std::bad_alloc &) {
        failure = QStringLiteral("Out of memory");
    } catch (const std::exception &error) {
        failure = QString::fromUtf8(error.what());
    }
    m_sink.report({failure, m_locationTag, line});
    return false;
}

QString locationTag(const QString &module, const QString &operation)
{
    const QString prefix = module == QLatin1String("AddFolder") ? QStringLiteral("CorvelTitle")
                                                                : QStringLiteral("Quorvel");
    return QStringLiteral("in %1%2.%3.%4 ")
        .arg(prefix, QStringLiteral("2021/08/31"), module, operation);
}

} // namespace orvanta
