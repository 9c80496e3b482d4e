// What the instrument's tests share: every scan of a raw-data set, to compare whole sets.
#pragma once

#include "instrument/RawData.h"

#include <tuple>
#include <vector>

namespace testkit
{
/// Every scan of data with its function number, in order.
inline auto scansOf(const instrument::RawData& data)
{
    std::vector<std::tuple<int, int, double, int, double, double, double, std::vector<float>, std::vector<float>>> all;
    for (const auto& f : data.functions)
        for (const auto& s : f.scans)
            all.emplace_back(f.number, s.scan, s.time, s.msLevel, s.coneVoltage, s.collisionEnergy, s.precursorMz, s.mz,
                             s.intensity);
    return all;
}
} // namespace testkit
