#pragma once

#include <cerrno>
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
    FileError(QString why, int number) : message(std::move(why)), errorNumber(number) {}

    // A refusal the system states with this errno value, in its own words.
    static FileError fromErrno(int number) { return FileError(qt_error_string(number), number); }

    // No room is left on the medium, or in the user's share of it.
    bool isFull() const
    {
#ifdef EDQUOT // a number Windows does not have
        if (errorNumber == EDQUOT)
            return true;
#endif
        return errorNumber == ENOSPC;
    }

    Kind kind = Kind::System;
    QString message;
    // What the system said as an errno value (ENOSPC, EROFS, EEXIST...), so
    // that failures are told apart by it rather than by their words; Windows
    // errors are mapped to one. 0 when the system said nothing of the kind.
    int errorNumber = 0;
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
    T *operator->() { return &std::get<T>(m_outcome); }
    const T *operator->() const { return &std::get<T>(m_outcome); }
    // The value, or fallback after a failure.
    T valueOr(T fallback) const { return *this ? **this : std::move(fallback); }
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
