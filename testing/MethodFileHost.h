// The host as a method file needs it, for tests, benchmarks and fuzz targets: a two-decimal ftoa
// and a simultaneous-sample count the caller chooses, counting how often the count is asked for.
#pragma once

#include "host/host.h"

#include <cstdio>

namespace testkit
{
class MethodFileHost : public host::Host
{
  public:
    char* ftoa(double value, char* buffer, int precision) override
    {
        // Callers hand the host a 64-byte buffer. Fixed point that would not fit is written in the
        // exponent form instead, as the host writes it, so that a huge value still reads back.
        if (std::snprintf(buffer, 64, "%.*f", precision, value) >= 64)
            std::snprintf(buffer, 64, "%.17g", value);
        return buffer;
    }
    int GetTotalSimultaneousSamples() override
    {
        ++countQueries;
        return count;
    }

    int count = 1;
    int countQueries = 0;
};
} // namespace testkit
