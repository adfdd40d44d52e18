// Result<T>: a value or a message for the user, for operations on files and processes whose
// failure the user must see ("cannot read /x/y.corvane: not a property list").
#pragma once

#include <QString>

#include <optional>
#include <utility>
#include <variant>

namespace corvane {

struct Error {
    QString message;
};

template <typename T>
class [[nodiscard]] Result {
public:
    Result(T value) : m_data(std::move(value)) {}
    Result(Error error) : m_data(std::move(error)) {}

    bool ok() const { return m_data.index() == 0; }
    explicit operator bool() const { return ok(); }
    T &value() { return std::get<0>(m_data); }
    const T &value() const { return std::get<0>(m_data); }
    T &operator*() { return value(); }
    const T &operator*() const { return value(); }
    T *operator->() { return &value(); }
    const T *operator->() const { return &value(); }
    // The message; empty when ok.
    QString error() const { return ok() ? QString() : std::get<1>(m_data).message; }

private:
    std::variant<T, Error> m_data;
};

// For operations with no value.
template <>
class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Error error) : m_error(std::move(error)) {}
    bool ok() const { return !m_error.has_value(); }
    explicit operator bool() const { return ok(); }
    QString error() const { return m_error ? m_error->message : QString(); }

private:
    std::optional<Error> m_error;
};

} // namespace corvane
