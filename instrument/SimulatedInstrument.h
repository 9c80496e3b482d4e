// The simulated instrument of the host stand-in: the host instrument interface over tune files
// and an instrument configuration file, holding the tune that is loaded.
#pragma once

#include "host/host.h"

#include <optional>
#include <string>

namespace instrument
{
/// The settings of one tune file. Tune files are INI text with one section, "Tune":
///   [Tune]
///   Ion Mode=ESP                  (ESP or APcI)
///   Polarity=+                    (+ or -)
///   Capillary kV=3.0              (capillary or corona voltage, kV)
///   Source Temperature=120        (°C)
///   Desolvation Temperature=350   (°C)
///   Cone Gas Flow=50              (L/h)
///   Desolvation Gas Flow=600      (L/h)
/// Every key is required; numbers are decimal and finite.
struct TuneSettings
{
    std::string ionMode;
    std::string polarity;
    double capillaryKv = 0.0;
    double sourceTemperature = 0.0;
    double desolvationTemperature = 0.0;
    double coneGasFlow = 0.0;
    double desolvationGasFlow = 0.0;
};

/// Reads the tune file at hostPath; on failure returns nothing and, when error is given, says
/// why in one line ("<file>: ..."). A missing or unreadable file, a missing key, an unknown ion
/// mode or polarity and a number that does not read whole all fail.
HOST_API std::optional<TuneSettings> readTuneFile(const std::string& hostPath, std::string* error = nullptr);

/// The tune file's lines in the order of the format above, "Key=Value", each ending in "\n".
HOST_API std::string formatTune(const TuneSettings& tune);

/// A simulated instrument. The tune it holds is the one last loaded; loading a tune file that
/// cannot be read fails and keeps the tune held. Its configuration lives in an INI file of the
/// host's data directory: the mass limit (section "Instrument", key "Mass Limit", 2000 when
/// missing or not a whole number from 100 to 100000) and the path of the loaded tune (section
/// "Tune", key "Current Tune"), so a new instrument object starts with the tune an earlier one
/// held, as a real instrument keeps its tune across host sessions.
class HOST_API SimulatedInstrument : public CHostInstrument
{
  public:
    /// Host path of the configuration file.
    static constexpr const char* kConfigurationFile = "C:\\Instrument.ini";
    static constexpr int kDefaultMassLimit = 2000;

    /// Reads the configuration; the tune named there is loaded when it still reads.
    SimulatedInstrument();
    ~SimulatedInstrument() override;

    /// Loads the tune file at path (a host path) as the open tune and records it in the
    /// configuration; 1 on success, 0 (the open tune unchanged) when it cannot be read. flags and
    /// restoring do not change what is loaded.
    int LoadTune(int flags, const char* path, int restoring) override;
    /// 1 while a tune is open, else 0.
    int GetTuneState() override;
    /// Closes the open tune and clears it from the configuration; 1 (also when none was open).
    int CloseTune() override;
    /// Marks the open tune's settings as the ones in force; 1, or 0 when no tune is open.
    int CommitTune() override;
    /// The configured mass limit.
    int GetMassLimit() override;

    /// The open tune's settings; nothing when no tune is open.
    const std::optional<TuneSettings>& Tune() const
    {
        return tune_;
    }
    /// The host path of the open tune's file; empty when none is open.
    const std::string& TunePath() const
    {
        return tunePath_;
    }
    /// Whether the open tune was committed since it was loaded.
    bool Committed() const
    {
        return committed_;
    }
    /// Whether the configuration holds the open tune, so the next session starts with it: false
    /// when none is open, or when the last load could not write the configuration.
    bool TuneRecorded() const
    {
        return tune_ && recorded_;
    }

  private:
    std::optional<TuneSettings> tune_;
    std::string tunePath_;
    bool committed_ = false;
    bool recorded_ = false;
};
} // namespace instrument
