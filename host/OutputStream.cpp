// The host's secure output stream: a file the host opens for writing, and the stream's own
// failure state, which no exception from the host's stream gets past.
#include "host/DispatchDetail.h"
#include "host/host.h"

#include <cstdio>
#include <cstring>

using host::Host;
using host::detail::dispatch;

namespace
{
// Runs one operation on the host's stream; false when it throws.
template <class Operation> bool streamOk(Operation&& operation) noexcept
{
    try
    {
        return operation();
    }
    catch (...)
    {
        return false;
    }
}
} // namespace

ofstreamS::ofstreamS() = default;

ofstreamS::ofstreamS(LPCSTR path, std::ios_base::openmode mode, int prot)
{
    open(path, mode, prot);
}

ofstreamS::~ofstreamS()
{
    close();
}

void ofstreamS::open(LPCSTR path, std::ios_base::openmode mode, int prot)
{
    close();
    failed_ = false;
    stream_ = dispatch(path, [&](Host& h) { return h.OpenOutputStream(path, mode, prot); });
    if (!stream_ || !stream_->good())
    {
        stream_.reset();
        failed_ = true;
    }
}

void ofstreamS::close()
{
    if (!stream_)
        return;
    const bool ok = streamOk([&] { return static_cast<bool>(stream_->flush()); });
    // Destroying the host's stream closes its file; a host stream must not throw from there.
    stream_.reset();
    if (!ok)
        failed_ = true;
}

int ofstreamS::is_open() const
{
    return stream_ ? 1 : 0;
}

int ofstreamS::fail() const
{
    return failed_ || (stream_ && stream_->fail()) ? 1 : 0;
}

int ofstreamS::good() const
{
    return fail() ? 0 : 1;
}

int ofstreamS::operator!() const
{
    return fail();
}

ofstreamS& ofstreamS::write(const char* text, std::streamsize count)
{
    if (!stream_ || !text || count <= 0)
        return *this;
    if (!streamOk([&] { return static_cast<bool>(stream_->write(text, count)); }))
        failed_ = true;
    return *this;
}

ofstreamS& ofstreamS::operator<<(const char* text)
{
    return text ? write(text, static_cast<std::streamsize>(std::strlen(text))) : *this;
}

ofstreamS& ofstreamS::operator<<(const CString& text)
{
    return write(text.GetString(), text.GetLength());
}

ofstreamS& ofstreamS::operator<<(int value)
{
    char digits[16];
    const int n = std::snprintf(digits, sizeof digits, "%d", value);
    return write(digits, n);
}
