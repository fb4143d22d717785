#pragma once

#include <QString>

#include <utility>
#include <variant>

// What a step that reads or writes outside the program failed at, in words for the log: the
// file or address and the system's reason.
struct IoError
{
    QString text;
};

// The result of a step at the program's edge (a download, a file saved, the settings written,
// the picture cache): its value, or what failed. It carries no message for the user: the caller
// decides what the failure means to them (a ReaderError with one of the reader's texts, the
// offline copy instead, or nothing) and says so where it decides.
template <typename T = void>
class [[nodiscard]] IoResult
{
public:
    IoResult(T value) : m_state(std::move(value)) {}
    IoResult(IoError error) : m_state(std::move(error)) {}

    bool ok() const { return std::holds_alternative<T>(m_state); }
    explicit operator bool() const { return ok(); }
    const T &value() const & { return std::get<T>(m_state); }
    T &&value() && { return std::get<T>(std::move(m_state)); }
    // What failed; empty on success.
    QString error() const { return ok() ? QString() : std::get<IoError>(m_state).text; }

private:
    std::variant<T, IoError> m_state;
};

template <>
class [[nodiscard]] IoResult<void>
{
public:
    IoResult() = default;
    IoResult(IoError error) : m_error(std::move(error.text)), m_failed(true) {}

    bool ok() const { return !m_failed; }
    explicit operator bool() const { return ok(); }
    const QString &error() const { return m_error; }

private:
    QString m_error;
    bool m_failed = false;
};

// "<what>: <why>", the form every IoError takes.
inline IoError ioError(const QString &what, const QString &why)
{
    return IoError{what + QStringLiteral(": ") + why};
}
