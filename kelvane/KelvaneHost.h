// The Kelvane host stand-in: a Linux implementation of the host operations behind host/host.h,
// keeping the host's data (system list, configuration) in files of the host's data directory.
#pragma once

#include "host/host.h"

#include <string>

namespace kelvane
{
/// The host stand-in. Its files live in the platform's data directory (the directory that the
/// drive C: names): the system list in "SystemList.ini", its own settings in "Kelvane.ini". Operations not
/// provided yet report their failure result. Nothing throws out of an operation.
class KELVANE_API KelvaneHost : public host::Host
{
  public:
    /// Host path of the system-list file.
    static constexpr const char* kSystemListFile = "C:\\SystemList.ini";
    /// Host path of the stand-in's configuration file.
    static constexpr const char* kConfigurationFile = "C:\\Kelvane.ini";
    /// Section and key of the configured number of simultaneous samples.
    static constexpr const char* kInletSection = "Inlet";
    static constexpr const char* kSimultaneousSamplesKey = "Simultaneous Samples";

    KelvaneHost();
    ~KelvaneHost() override;

    /// Renders value in fixed point with precision decimals (0 to 30; outside, the nearest end)
    /// into buffer, which holds at least 64 bytes. A value whose fixed-point text would not fit
    /// is written in the shortest exponent form that reads back exactly; NaN and infinities as
    /// "nan", "inf" and "-inf". A result that rounds to zero carries no minus sign. Every form is
    /// read back by atof.
    char* ftoa(double value, char* buffer, int precision) override;

    /// The configured count: the one set with SetTotalSimultaneousSamples, else the
    /// configuration file's value, else 1. Counts below 1 and unreadable values count as 1.
    int GetTotalSimultaneousSamples() override;
    /// Sets the count that GetTotalSimultaneousSamples reports from now on (below 1 counts as 1).
    void SetTotalSimultaneousSamples(int count);

    /// Splits path into directory (drive and directory, ending in a backslash; forward slashes
    /// become backslashes), file name and extension (without the full stop). A relative path is
    /// first made absolute against the current directory. Only the three texts of out change.
    /// Returns 0, leaving out unchanged, when a part does not fit its field or path is null; the
    /// empty path gives three empty texts.
    int ConvertPathToHxFile(tag_HXFILE& out, const char* path) override;
    /// Joins directory, file name and "." extension (no full stop when the extension is empty),
    /// with a backslash after a directory that does not end in one. The text is cut to limit - 1
    /// characters; returns 1 when it fitted, else 0.
    int ConvertHxFileToPath(char* out, int limit, const tag_HXFILE& in) override;

    /// Reads key of section from the system-list file into out: the stored path's three texts,
    /// every other field 0 (only paths are kept). A key never set reads as not found (0) and
    /// leaves out all zero. Keys and sections are compared without regard to case.
    int GetSystemListValue(const char* section, const char* key, int flags, tag_HXFILE& out) override;
    /// Stores the host path of value under key of section; non-zero when the file was written.
    int SetSystemListValue(const char* section, const char* key, const tag_HXFILE& value, int flags) override;

  private:
    int configuredSamples_ = 0; // 0: not set; read the configuration file
};

/// Makes dataDirectory (a POSIX path, created when missing) the host's data directory, creates
/// the stand-in host and installs it as the host that every host operation reaches. A host
/// installed earlier by this function is replaced. Returns the installed host, or null when the
/// data directory could not be set up.
KELVANE_API KelvaneHost* install(const std::string& dataDirectory);

/// Uninstalls and destroys the host that install made; the host installed before it, if any
/// other, is not put back.
KELVANE_API void uninstall();
} // namespace kelvane
