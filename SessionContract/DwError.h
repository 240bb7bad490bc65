#pragma once

#include <QString>

#include <exception>
#include <string>

namespace dwfm {

// The one error type of the library and the store: a number and a description.
// The numbers are the ones the error report sorts on (database integrity and command
// errors, input errors, the usual file-error numbers).
class DwError : public std::exception {
public:
    // Database integrity violation (a constraint refused the change).
    static constexpr qint32 IntegrityViolation = static_cast<qint32>(0x80040E2F);
    // Any other error of a database command.
    static constexpr qint32 DatabaseError = static_cast<qint32>(0x80040E14);
    // Wrong input from the user.
    static constexpr qint32 InputError = 1;
    static constexpr qint32 InvalidProcedureCall = 5;
    static constexpr qint32 FileNotFound = 53;
    static constexpr qint32 FileAlreadyExists = 58;
    static constexpr qint32 DiskFull = 61;
    static constexpr qint32 PermissionDenied = 70;
    static constexpr qint32 PathNotFound = 76;
    static constexpr qint32 ObjectNotSet = 91;
    static constexpr qint32 CannotCreateObject = 429;
    static constexpr qint32 ItemNotFound = 3265;
    static constexpr qint32 DialogCancelled = 32755;

    DwError(qint32 number, QString description)
        : m_number(number), m_description(std::move(description)), m_what(m_description.toStdString())
    {
    }

    qint32 number() const noexcept { return m_number; }
    const QString &description() const noexcept { return m_description; }
    const char *what() const noexcept override { return m_what.c_str(); }

private:
    qint32 m_number;
    QString m_description;
    std::string m_what;
};

} // namespace dwfm
