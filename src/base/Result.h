#pragma once

#include <QString>

#include <optional>
#include <utility>

namespace orvanta {

// Why something failed, in words a user can read.
struct Failure {
    QString message;
};

// A value, or the message that says why there is none. Functions that can fail with a message
// return this; `return value;` and `return Failure{text};` both work.
template <typename T> class [[nodiscard]] Result {
public:
    Result(T value)
        : m_value(std::move(value))
    {
    }
    Result(Failure failure)
        : m_error(std::move(failure.message))
    {
    }

    bool ok() const { return m_value.has_value(); }
    explicit operator bool() const { return ok(); }

    const T &value() const & { return *m_value; }
    T &value() & { return *m_value; }
    T &&value() && { return std::move(*m_value); }
    const T &operator*() const & { return *m_value; }
    T &operator*() & { return *m_value; }
    const T *operator->() const { return &*m_value; }
    T *operator->() { return &*m_value; }

    const QString &error() const { return m_error; }

private:
    std::optional<T> m_value;
    QString m_error;
};

// Success without a value, or the message.
template <> class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Failure failure)
        : m_error(std::move(failure.message))
        , m_failed(true)
    {
    }

    bool ok() const { return !m_failed; }
    explicit operator bool() const { return ok(); }
    const QString &error() const { return m_error; }

private:
    QString m_error;
    bool m_failed = false;
};

using Status = Result<void>;

} // namespace orvanta
