// The stand-in's isotope-model library: the host's request and cluster list over the isotopic
// peaks of instrument/Isotopes.cpp. The formula field must end in its terminator and the resolution
// (the float at byte 24) must be a positive number. The other request fields are not read: the
// peak-shape file and the model's output settings describe the real host's profile output, which
// the engine never asks for.
#include "kelvane/KelvaneHost.h"
#include "instrument/InstrumentModel.h"

#include <cmath>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

namespace kelvane
{
int KelvaneHost::CalcIsotopeModel(int, const tag_ISOTOPE_REQUEST& request, tag_ORDERED_CLUST& result)
{
    result = tag_ORDERED_CLUST();
    try
    {
        const unsigned char* field = request.bytes + tag_ISOTOPE_REQUEST::kFormula;
        const void* end = std::memchr(field, 0, tag_ISOTOPE_REQUEST::kFormulaWidth);
        const double resolution = request.get<float>(tag_ISOTOPE_REQUEST::kFloat24);
        if (!end || !std::isfinite(resolution) || resolution <= 0.0)
            return -1;
        const std::string_view formula(reinterpret_cast<const char*>(field),
                                       static_cast<std::size_t>(static_cast<const unsigned char*>(end) - field));
        const std::vector<instrument::detail::IsotopePeak> peaks =
            instrument::detail::formulaIsotopes(formula, resolution);
        if (peaks.empty())
            return -1;
        auto clusters = std::make_unique<tag_ISOTOPE_CLUSTER[]>(peaks.size());
        for (std::size_t i = 0; i < peaks.size(); ++i)
        {
            clusters[i].SetMass(peaks[i].mass);
            clusters[i].SetAbundance(peaks[i].abundance);
        }
        result.nClusters = static_cast<std::uint32_t>(peaks.size());
        result.pClusters = clusters.release();
        return 0;
    }
    catch (...)
    {
        result = tag_ORDERED_CLUST();
        return -1;
    }
}

void KelvaneHost::cfree_ordered_clust(tag_ORDERED_CLUST& list)
{
    delete[] list.pClusters;
    list = tag_ORDERED_CLUST();
}
} // namespace kelvane
