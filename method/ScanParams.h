// tag_SCAN_PARAMS: the per-compound record that the host builds from its compound list and the
// optimisation fills in. Its layout crosses into the host, so it is fixed here, byte for byte.
#pragma once

#include "method/IonMode.h"

#include <cstddef>

/// One compound of the optimisation: what the host knows of it and what the searches found.
/// Fourteen 32-bit words (56 bytes) with natural alignment; the host passes compound lists as
/// contiguous arrays with a stride of 56 bytes, and the library copies records whole. A negative
/// nMaxFunction marks a compound whose optimisation failed.
struct tag_SCAN_PARAMS
{
    tag_IONMODE IonMode;       // ionisation source (0 "ESP", 1 "APcI")
    tag_IONMODEOPT IonModeOpt; // polarity (0 "+", 1 "-", 2 both)
    int nConeVoltage;          // optimised cone voltage, V
    int nCollisionEnergy;      // optimised collision energy, eV
    double dParentMass;        // base (neutral) mass before the parent search; the parent m/z after it
    double dDaughterMass;      // daughter m/z found; 49.0 after a failed daughter search
    double dReserved;          // the host's; not read or written by the library
    int nLine;                 // line of the compound in the compound list, for messages
    float fResponse;           // response at the maximum of the last search; 1.0 simulated, 0.0 failed
    int nMaxFunction;          // 1-based ramp step of the maximum; 0 simulated; -1 failed
    int nReserved;             // the host's; not read or written by the library
};
static_assert(sizeof(tag_SCAN_PARAMS) == 56, "tag_SCAN_PARAMS is the host's 56-byte record");
static_assert(offsetof(tag_SCAN_PARAMS, IonMode) == 0 && offsetof(tag_SCAN_PARAMS, IonModeOpt) == 4 &&
                  offsetof(tag_SCAN_PARAMS, nConeVoltage) == 8 && offsetof(tag_SCAN_PARAMS, nCollisionEnergy) == 12 &&
                  offsetof(tag_SCAN_PARAMS, dParentMass) == 16 && offsetof(tag_SCAN_PARAMS, dDaughterMass) == 24 &&
                  offsetof(tag_SCAN_PARAMS, dReserved) == 32 && offsetof(tag_SCAN_PARAMS, nLine) == 40 &&
                  offsetof(tag_SCAN_PARAMS, fResponse) == 44 && offsetof(tag_SCAN_PARAMS, nMaxFunction) == 48 &&
                  offsetof(tag_SCAN_PARAMS, nReserved) == 52,
              "every field of tag_SCAN_PARAMS sits where the host reads it");
