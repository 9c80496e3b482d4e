// The run wizard's chooser of a host sample list: the host's sample-list file dialog, which picks
// a file and the data type the host reads it as.
#pragma once

#include "host/host.h"
#include "platform/CString.h"
#include "platform/Dialog.h"

/// Lets the user pick a sample-list file and its data type in the host's sample-list dialog
/// titled title. An empty path starts the dialog at the system list's "SAMPLES_DB" (or at
/// "*.spl" when that names no file) with the ".spl" database type. Returns 1 when a file was
/// chosen: path becomes its full host path, type the data type chosen with it, and pRefresh (when
/// given) shows its fields again. Returns 0, with path and type unchanged, when the dialog was
/// cancelled or failed.
int SelectSampleList(CWnd* pRefresh, CString& path, tag_SELECT_DATATYPE& type, const CString& title);

namespace ui::detail
{
/// The sample-list data type that a list starts with: the host's ".spl" database type.
tag_SELECT_DATATYPE defaultListType();
} // namespace ui::detail
