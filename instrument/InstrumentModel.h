// The physics of the simulated instrument: a deterministic, seeded model of how compounds ionise,
// respond to cone voltage, fragment over collision energy and elute, from which the stand-in writes
// the raw data of optimisation and analysis injections, and the true optima it was built with.
#pragma once

#include "host/host.h"
#include "instrument/RawData.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace instrument
{
/// How an injection is acquired: the source and polarity of the tune in force.
struct SourceSettings
{
    bool apci = false;     // ion mode "APcI" (else "ESP")
    bool negative = false; // polarity "-" (else "+")
};

/// The true optimum of one compound in one source setting, as written to truth.tsv. A compound
/// that cannot ionise there has ionises false and no values.
struct CompoundTruth
{
    std::string compound;
    bool ionises = false;
    std::string adduct;     // e.g. "[M+H]+", "[M+Na]+", "[M-H]-"
    double parentMz = 0.0;  // the most abundant isotopic peak of the strongest ion at its optimum
    double coneVoltage = 0.0;      // V, that ion's optimum
    double daughterMz = 0.0;       // the product with the greatest response at its own optimum
    double collisionEnergy = 0.0;  // eV, that product's optimum
};

/// One transition an analysis injection records: the function it belongs to, the precursor and
/// (for product-ion scans) the product; product 0 records the precursor in full-scan MS.
struct Transition
{
    int function = 1;
    double precursorMz = 0.0;
    double productMz = 0.0;
};

/// A compound present in an analysis sample, with an amount that scales its response (1 = the
/// model's usual response).
struct SampleCompound
{
    std::string name;
    std::string massText;
    double amount = 1.0;
};

/// The model of the simulated instrument. Everything it gives is a pure function of the seed, the
/// compound's name and mass text, the measured spectra folder's files, and the arguments, so two
/// runs with one seed write identical raw data. Not thread-safe; cheap to copy compounds out of.
class HOST_API InstrumentModel
{
  public:
    /// A model with the seed; with spectraDirectory (a POSIX path, may be empty), a compound NAME
    /// whose file spectraDirectory/NAME.tsv exists takes its product ions and their breakdown over
    /// collision energy from that measured series (instrument/MeasuredSpectra.h) instead of the model:
    /// they replace the products of its strongest ion in the polarity whose m/z lies within 0.5 of
    /// the series' precursor_mz. A NAME that could leave the folder ("..", "a/b") has no series.
    explicit InstrumentModel(std::uint64_t seed, std::string spectraDirectory = {});
    ~InstrumentModel();
    InstrumentModel(const InstrumentModel&) = delete;
    InstrumentModel& operator=(const InstrumentModel&) = delete;

    /// Checks that the compound can be modelled: its mass text is a number (the neutral
    /// monoisotopic mass) or a formula the host's isotope model reads, and its measured series,
    /// when there is one, reads and was measured on the compound's strongest ion in a polarity.
    /// False with a one-line reason in error otherwise. A formula of carbon and hydrogen alone is
    /// known but does not ionise: its injections hold only background and noise.
    bool knows(const std::string& name, const std::string& massText, std::string& error);

    /// The raw data of a parent optimisation injection by flow injection through the loop: one
    /// function per cone voltage (at most 8, in order), full-scan MS of every ion the compound forms
    /// in source, with isotopes, background ions, baseline and noise. Empty data (no functions) for
    /// a compound knows() refuses.
    RawData parentInjection(const std::string& name, const std::string& massText, const SourceSettings& source,
                            const std::vector<double>& coneVoltages);

    /// The raw data of a daughter optimisation injection: one function per collision energy (at
    /// most 8), product-ion scans of precursorMz acquired at coneVoltage. Only an ion of the
    /// compound within 0.5 of precursorMz gives products; anything else gives noise.
    RawData daughterInjection(const std::string& name, const std::string& massText, const SourceSettings& source,
                              double precursorMz, double coneVoltage, const std::vector<double>& collisionEnergies);

    /// The raw data of an analysis injection through the column, over runTime minutes: for each
    /// transition, its function's scans record the response of every present compound whose ion
    /// and product match it, as a chromatographic peak at the compound's own retention time.
    RawData analysisInjection(const std::vector<SampleCompound>& present, const std::vector<Transition>& transitions,
                              const SourceSettings& source, double runTime);

    /// The true optimum of the compound in source.
    CompoundTruth truth(const std::string& name, const std::string& massText, const SourceSettings& source);

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

/// Writes truth.tsv at posixPath: a header row "compound\tadduct\tparent_mz\tcone_voltage\t
/// daughter_mz\tcollision_energy" and one row per compound, m/z with 3 decimals, voltages and
/// energies with 1; a compound that cannot ionise has empty values. False with a reason when the
/// file cannot be written.
HOST_API bool writeTruth(const std::string& posixPath, const std::vector<CompoundTruth>& rows, std::string& error);

namespace detail
{
/// One isotopic peak of a neutral molecule: its mass and its share of the distribution.
struct IsotopePeak
{
    double mass = 0.0;
    double abundance = 0.0;
};

/// The isotopic peaks of formula as the host's isotope model computes them (instrument/Isotopes.cpp),
/// isotopologues closer than resolution merged, in ascending mass. Empty when the model refuses
/// the formula.
HOST_API std::vector<IsotopePeak> formulaIsotopes(std::string_view formula, double resolution);
} // namespace detail
} // namespace instrument
