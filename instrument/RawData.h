// Raw data of the host stand-in: a "NAME.RAW" directory holding one mzML 1.1 file, one spectrum
// per scan. The acquisition function is the spectrum's "preset scan configuration" term; cone
// voltage and collision energy are terms of the spectrum; scan start times are in minutes.
#pragma once

#include "host/host.h"

#include <string>
#include <vector>

namespace instrument
{
/// One scan: its place in the raw data, its acquisition settings and its spectrum.
struct RawScan
{
    int scan = 0;                  // number of the scan in its function, from 1
    double time = 0.0;             // scan start time, minutes
    int msLevel = 1;               // 1: full-scan MS; 2: product-ion scan
    double coneVoltage = 0.0;      // V
    double collisionEnergy = 0.0;  // eV; 0 for full-scan MS
    double precursorMz = 0.0;      // the selected ion of a product-ion scan; 0 otherwise
    std::vector<float> mz;         // ascending
    std::vector<float> intensity;  // one per m/z value
};

/// One acquisition function: its scans in scan order.
struct RawFunction
{
    int number = 0; // from 1
    std::vector<RawScan> scans;
};

/// A whole raw-data set: its functions in function-number order.
struct RawData
{
    std::vector<RawFunction> functions;

    /// The function with number, or null.
    const RawFunction* function(int number) const
    {
        for (const RawFunction& f : functions)
            if (f.number == number)
                return &f;
        return nullptr;
    }
};

/// The mzML file of the directory rawDirectory (a POSIX path): its one regular file whose name
/// ends in ".mzML", whatever the case. Returns false, with a one-line reason in error, when the
/// directory is missing or holds no such file or more than one.
HOST_API bool findRawDataFile(const std::string& rawDirectory, std::string& file, std::string& error);

/// Reads the raw data in the directory rawDirectory (a POSIX path). Returns false, with data
/// empty and a one-line reason in error, for anything that is not whole, readable mzML.
/// Read: <mzML> or <indexedmzML>; m/z and intensity arrays of 32- or 64-bit floats, zlib-compressed
/// or not, each exactly the spectrum's defaultArrayLength long, m/z ascending, every value finite.
/// A spectrum's function is its "preset scan configuration" (function 1 without one), its scans
/// are numbered from 1 in document order; scan start time in minutes or seconds; collision energy
/// from the precursor's activation; precursor m/z from the selected ion (else the isolation
/// window's target); cone voltage from a userParam (or cvParam) named "cone voltage", since the
/// PSI-MS vocabulary has no term for it. Chromatograms and other arrays are ignored.
HOST_API bool readRawData(const std::string& rawDirectory, RawData& data, std::string& error);

/// Reads one mzML file (a POSIX path), as readRawData reads the file of a raw-data directory.
HOST_API bool readMzmlFile(const std::string& file, RawData& data, std::string& error);

/// Writes data as the mzML 1.1 file of the directory rawDirectory (a POSIX path), creating the
/// directory when missing, replacing its one mzML file in one rename (or, when it has none,
/// writing "NAME.mzML" for a directory "NAME.RAW"). Arrays are zlib-compressed 32-bit floats, so
/// readRawData gives data back exactly. Returns false, with a one-line reason, when the directory
/// holds several mzML files, when data is not what readRawData could give back (function numbers
/// not rising from 1 to 32767, scans not numbered 1, 2, ... in order, arrays of unequal length)
/// or when the file cannot be written.
HOST_API bool writeRawData(const std::string& rawDirectory, const RawData& data, std::string& error);
} // namespace instrument
