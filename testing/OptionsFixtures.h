// Test support of the method tests, driven by the method file's key table: a record with every
// method key away from its default, and the method half of a record as comparable text.
#pragma once

#include "method/BrenmoOptions.h"
#include "method/MethodFileKeys.h"

#include <cstdio>
#include <string>

namespace testkit
{
/// Sets every key of a method file to a value other than its default: numbers 1.25 or 1 above
/// it (two decimals, so they survive a method file unchanged), texts a path named after the key.
inline void FillEveryMethodField(CBrenmoOptions& o)
{
    for (const auto& key : method::kMethodFileKeys)
    {
        if (key.type == method::MethodKeyType::kDouble)
            key.setDouble(o, key.numberDefault + 1.25);
        else if (key.type == method::MethodKeyType::kInt)
            key.setInt(o, static_cast<int>(key.numberDefault) + 1);
        else
            key.setText(o, (std::string("C:\\Study.PRO\\") + key.name).c_str());
    }
}

/// The method half of a record: one "key=value" line per key of a method file, in file order,
/// numbers in full precision.
inline std::string MethodText(const CBrenmoOptions& o)
{
    std::string text;
    for (const auto& key : method::kMethodFileKeys)
    {
        char value[64] = {};
        if (key.type == method::MethodKeyType::kDouble)
            std::snprintf(value, sizeof value, "%.17g", key.getDouble(o));
        else if (key.type == method::MethodKeyType::kInt)
            std::snprintf(value, sizeof value, "%d", key.getInt(o));
        text +=
            std::string(key.name) + "=" + (key.type == method::MethodKeyType::kString ? key.getText(o).str() : value);
        text += "\n";
    }
    return text;
}
} // namespace testkit
