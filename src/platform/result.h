#pragma once

#include <optional>
#include <QString>
#include <utility>
#include <variant>

// Why a file or volume operation failed.
struct FileError
{
    enum class Kind
    {
        System,      // the system refused; message says why in its own words
        NotAFile,    // a link, folder, device or pipe where a plain file was wanted
        TooLarge,    // a file beyond what the operation takes
        NotAFolder,  // something else of that name is in the way of a folder
        NotReadable, // a file, but not in a format the operation reads
    };

    explicit FileError(Kind failed) : kind(failed) {}
    explicit FileError(QString why) : message(std::move(why)) {}

    Kind kind = Kind::System;
    QString message;
};

// What a file or volume operation gave, or why it failed. Tested as a bool,
// read through * and ->; Result<> carries no value.
template <typename T = void> class [[nodiscard]] Result
{
public:
    Result() = default;
    Result(T value) : m_outcome(std::move(value)) {}
    Result(FileError error) : m_outcome(std::move(error)) {}

    explicit operator bool() const { return m_outcome.index() == 0; }
    T &operator*() { return std::get<T>(m_outcome); }
    const T &operator*() const { return std::get<T>(m_outcome); }
    const T *operator->() const { return &std::get<T>(m_outcome); }
    const FileError &error() const { return std::get<FileError>(m_outcome); }

private:
    std::variant<T, FileError> m_outcome;
};

template <> class [[nodiscard]] Result<void>
{
public:
    Result() = default;
    Result(FileError error) : m_error(std::move(error)) {}

    explicit operator bool() const { return !m_error; }
    const FileError &error() const { return *m_error; }

private:
    std::optional<FileError> m_error;
};
