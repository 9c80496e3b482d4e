// The reading and line-preserving editing of profile (INI) text behind the profile functions: one
// model of what each line means serves both, so that a value written is the value read back.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::detail
{
/// The text of a profile file with an index of its sections and keys. Lines end at CR LF, LF or a
/// lone CR; blanks (space, tab, VT, FF) around names and values do not count. A line whose first
/// non-blank is '[' and that has a ']' is a section header naming the trimmed text between them; a
/// line whose first non-blank is ';' is a comment; a line with '=' below a header is a key; every other line
/// (and everything before the first header) is kept but means nothing. Names are compared with
/// a-z folded onto A-Z; only the first section of a name and the first key of a name in it count,
/// as with the platform's own functions. The text may hold any bytes, zero bytes included; it must
/// be shorter than 4 GiB.
class IniDocument
{
  public:
    explicit IniDocument(std::string text);

    const std::string& text() const
    {
        return text_;
    }

    /// The value of key in section, blanks trimmed and quotes kept; nullopt when either is missing.
    std::optional<std::string_view> value(std::string_view section, std::string_view key) const;
    /// The names of all sections, in file order, duplicates included.
    std::vector<std::string_view> sectionNames() const;
    /// The names of all keys of the section, in file order; empty when the section is missing.
    std::vector<std::string_view> keyNames(std::string_view section) const;

    /// The text with key in section set to value: the old value replaced in its line, or a new
    /// line after the last key of the section, or a new section at the end of the text (no blank
    /// line before it). Every other line is kept byte for byte; added lines end as the text's
    /// first line does, and with CR LF when no line of the text has an end. The names must not
    /// hold line breaks, a section name no ']', a key no '=' and not start with '[' or ';', or the
    /// line would read back differently.
    std::string withValue(std::string_view section, std::string_view key, std::string_view value) const;
    /// The text without the line of key in section; the text itself when there is none.
    std::string withoutKey(std::string_view section, std::string_view key) const;
    /// The text without the section: its header and every line up to the next header.
    std::string withoutSection(std::string_view section) const;

  private:
    // Offsets into text_; 32 bits keep the index small for the largest files the functions read.
    struct Key
    {
        std::uint32_t begin;     // start of the line
        std::uint32_t next;      // start of the following line
        std::uint32_t nameBegin; // trimmed name
        std::uint32_t nameEnd;
        std::uint32_t valueBegin; // trimmed value
        std::uint32_t valueEnd;
        std::uint32_t nameHash; // of the name with case folded, to skip most comparisons
    };
    struct Section
    {
        std::uint32_t begin;     // start of the header line
        std::uint32_t end;       // start of the next header, or the end of the text
        std::uint32_t nameBegin; // trimmed name
        std::uint32_t nameEnd;
        std::uint32_t nameHash;
        std::uint32_t firstKey; // its keys are keys_[firstKey, endKey)
        std::uint32_t endKey;
        std::uint32_t insertAt;           // where a new key goes: after its last key, or after the header
        bool insertAfterUnterminatedLine; // the line before insertAt has no line end (end of text)
    };

    const Section* findSection(std::string_view name) const;
    const Key* findKey(const Section& section, std::string_view name) const;
    std::string_view slice(std::uint32_t begin, std::uint32_t end) const;

    std::string text_;
    std::vector<Key> keys_;
    std::vector<Section> sections_;
    std::string_view newline_; // the file's own line end, for the lines added to it
};
} // namespace platform::detail
