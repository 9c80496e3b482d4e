// Internal to brenmo_host: how a host operation reaches a host. Every failure result is written
// once, in the base host's defaults (Defaults.cpp); the dispatch gets it by asking the failing host.
#pragma once

#include "host/host.h"

#include <type_traits>

namespace host::detail
{
/// The host whose every operation gives its failure result: the base Host, whose defaults are
/// those results. It is the current host while none is installed.
Host& failingHost();

/// Runs operation (a callable taking Host&) on the installed host when complete, that is when the
/// caller passed every record the operation needs; otherwise, or when the installed host throws,
/// runs it on the failing host. So the engine gets the operation's failure result, with any record
/// reset as the default resets it, and never an exception.
template <class Operation> auto dispatch(bool complete, Operation&& operation) noexcept
{
    if (!complete)
        return operation(failingHost());
    try
    {
        return operation(Current());
    }
    catch (...)
    {
        return operation(failingHost());
    }
}

/// dispatch for an operation without records that could be missing.
template <class Operation> auto dispatch(Operation&& operation) noexcept
{
    return dispatch(true, operation);
}

/// *record; for a record the caller did not pass (null), a zeroed one for the failing host to
/// ignore or reset. Made only then, as some records are tens of kilobytes.
template <class Record> Record& orStandIn(Record* record)
{
    if (record)
        return *record;
    static thread_local std::remove_const_t<Record> standIn;
    standIn = {};
    return standIn;
}
} // namespace host::detail
