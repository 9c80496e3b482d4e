// Comma-separated text as the host's formatted sample lists store it (RFC 4180): a header row of
// field names, then one record per row; fields may be quoted, with "" for a quote inside.
#pragma once

#include "host/host.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kelvane
{
/// Where one record lies in the text a table was read from: its bytes, without the line end.
struct CsvRecordSpan
{
    std::size_t begin = 0;
    std::size_t end = 0;
};

/// A parsed CSV text: the header's names and the records below it, each padded to the header's
/// width.
struct CsvTable
{
    std::vector<std::string> header;
    std::vector<std::vector<std::string>> rows;
    // Whether the text began with a UTF-8 byte-order mark, so writing the table back keeps it.
    bool byteOrderMark = false;
    // The text the table was parsed from and where its records lie in it (the header's first),
    // so that writing the table back copies every byte of what the caller did not change. Both
    // are empty for a table built in memory.
    std::string source;
    std::vector<CsvRecordSpan> records;
};

/// Parses text into table, keeping text as the table's source. Accepts CRLF, LF and CR line ends,
/// a UTF-8 byte-order mark, quoted fields with embedded separators, quotes and line breaks, and a
/// missing final line end; blank lines are not records. Rows shorter than the header are padded
/// with empty fields. Returns false and a one-line reason (with the 1-based line number) for an
/// empty text, an unterminated quoted field, text after a closing quote, or a row with more
/// non-empty fields than the header has names.
HOST_API bool parseCsv(std::string_view text, CsvTable& table, std::string& error);

/// The CSV text of table. A table with a source is written as that text with only the cells that
/// differ from it re-encoded: blank lines, line ends, quoting, the byte-order mark and every other
/// byte stay. A changed cell is quoted when it needs quotes or was quoted; cells past the end of a
/// record are appended only up to its last non-empty one; rows beyond the source's records are
/// dropped and rows past them appended with the source's line end. A table without a source, or
/// whose header has fewer names than the source's, is written afresh (after a byte-order mark
/// when the table has one): fields holding a separator, a quote, a line break or surrounding
/// blanks are quoted, and lines end in CRLF, as RFC 4180 writes them.
HOST_API std::string formatCsv(const CsvTable& table);
} // namespace kelvane
