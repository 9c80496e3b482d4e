// Comma-separated text as the host's formatted sample lists store it (RFC 4180): a header row of
// field names, then one record per row; fields may be quoted, with "" for a quote inside.
#pragma once

#include "host/host.h"

#include <string>
#include <string_view>
#include <vector>

namespace kelvane
{
/// A parsed CSV text: the header's names and the records below it, each padded to the header's
/// width.
struct CsvTable
{
    std::vector<std::string> header;
    std::vector<std::vector<std::string>> rows;
    // Whether the text began with a UTF-8 byte-order mark, so writing the table back keeps it.
    bool byteOrderMark = false;
};

/// Parses text into table. Accepts CRLF and LF line ends, a UTF-8 byte-order mark, quoted fields
/// with embedded separators, quotes and line breaks, and a missing final line end; blank lines are
/// skipped. Rows shorter than the header are padded with empty fields. Returns false and a
/// one-line reason (with the 1-based line number) for an empty text, an unterminated quoted
/// field, text after a closing quote, or a row with more non-empty fields than the header has
/// names.
HOST_API bool parseCsv(std::string_view text, CsvTable& table, std::string& error);

/// The CSV text of table (after a byte-order mark when the table has one): the header, then each
/// row; fields holding a separator, a quote, a line break or surrounding blanks are quoted. Lines
/// end in CRLF, as RFC 4180 writes them.
HOST_API std::string formatCsv(const CsvTable& table);
} // namespace kelvane
