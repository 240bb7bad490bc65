#pragma once

#include "ErrorReport.h"

#include <QString>

#include <exception>
#include <type_traits>

namespace dwfm {

// Runs `body` under an error trap: an error stops it, is reported with `procedure` and
// the neutral result is returned instead.
template <typename Body, typename Result = std::invoke_result_t<Body>>
Result TrapErrors(const QString &procedure, Body &&body, Result neutral = Result())
{
    try {
        if constexpr (std::is_void_v<Result>)
            body();
        else
            return body();
    } catch (const DwError &error) {
        ShowError(procedure, error);
    } catch (const std::exception &error) {
        ShowError(procedure, error);
    }
    if constexpr (!std::is_void_v<Result>)
        return neutral;
}

template <typename Body>
void TrapErrorsVoid(const QString &procedure, Body &&body)
{
    try {
        body();
    } catch (const DwError &error) {
        ShowError(procedure, error);
    } catch (const std::exception &error) {
        ShowError(procedure, error);
    }
}

// Runs one statement and ignores its failure, so the routine goes on with the next one.
// Answers whether the statement succeeded.
template <typename Statement>
bool SkipOnError(Statement &&statement) noexcept
{
    try {
        statement();
        return true;
    } catch (...) {
        return false;
    }
}

} // namespace dwfm
