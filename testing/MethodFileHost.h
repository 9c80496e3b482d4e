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
        // The host promises callers a 64-byte buffer; a huge value is cut to it, as the host cuts it.
        std::snprintf(buffer, 64, "%.*f", precision, value);
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
