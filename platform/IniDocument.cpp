// One pass over the text builds a compact index of headers and keys; edits splice the text so
// that comments, unknown lines, other sections and line ends stay exactly as they were.
#include "platform/IniDocument.h"

#include "platform/Ascii.h"

#include <cstring>

namespace
{
// Not CR: it always ends a line, so it is never inside one.
bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\v' || c == '\f';
}

// The position of the first CR or LF at or after pos, or size.
size_t lineEndAt(const char* data, size_t pos, size_t size)
{
    while (pos < size && data[pos] != '\n' && data[pos] != '\r')
        ++pos;
    return pos;
}

// The bytes of the line end at pos: CR LF, LF, a lone CR, or none at the end of the text.
size_t lineEndLength(const char* data, size_t pos, size_t size)
{
    if (pos == size)
        return 0;
    return data[pos] == '\r' && pos + 1 < size && data[pos + 1] == '\n' ? 2 : 1;
}

using platform::detail::equalsNoCase;
using platform::detail::foldCase;

// Narrows [begin, end) of text to its non-blank middle.
void trim(const std::string& text, size_t& begin, size_t& end)
{
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
}

// FNV-1a over the case-folded name: a method file's keys share long prefixes ("Adduct Neg User1",
// "Adduct Neg User1 Mass"), so comparing hashes first saves most of the byte comparisons.
std::uint32_t foldedHash(std::string_view name)
{
    std::uint32_t hash = 2166136261u;
    for (const char c : name)
        hash = (hash ^ static_cast<unsigned char>(foldCase(c))) * 16777619u;
    return hash;
}

std::uint32_t offset(size_t at)
{
    return static_cast<std::uint32_t>(at);
}

constexpr char kUtf8Bom[] = "\xEF\xBB\xBF";
} // namespace

namespace platform::detail
{
IniDocument::IniDocument(std::string text) : text_(std::move(text))
{
    const size_t size = text_.size();
    const char* data = text_.data();
    // Lines added to the text end as its first line does; the platform writes CR LF otherwise.
    const size_t firstEnd = lineEndAt(data, 0, size);
    const size_t firstEndLength = lineEndLength(data, firstEnd, size);
    newline_ = firstEndLength != 1 ? "\r\n" : data[firstEnd] == '\n' ? "\n" : "\r";

    // A byte-order mark is not part of the first line's text, so "[Section]" after it is a header.
    size_t pos = text_.starts_with(kUtf8Bom) ? 3 : 0;
    while (pos < size)
    {
        const size_t lineEnd = lineEndAt(data, pos, size);
        const size_t next = lineEnd + lineEndLength(data, lineEnd, size);
        const bool found = lineEnd < size;
        size_t begin = pos;
        size_t end = lineEnd;
        trim(text_, begin, end);

        if (begin < end && text_[begin] == '[')
        {
            if (const void* close = std::memchr(data + begin + 1, ']', end - begin - 1))
            {
                size_t nameBegin = begin + 1;
                size_t nameEnd = static_cast<size_t>(static_cast<const char*>(close) - data);
                trim(text_, nameBegin, nameEnd);
                if (!sections_.empty())
                    sections_.back().end = offset(pos);
                const std::uint32_t hash = foldedHash(std::string_view(text_).substr(nameBegin, nameEnd - nameBegin));
                sections_.push_back({offset(pos), offset(size), offset(nameBegin), offset(nameEnd), hash,
                                     offset(keys_.size()), offset(keys_.size()), offset(next), !found});
            }
        }
        else if (begin < end && text_[begin] != ';' && !sections_.empty())
        {
            if (const void* equals = std::memchr(data + begin, '=', end - begin))
            {
                const size_t at = static_cast<size_t>(static_cast<const char*>(equals) - data);
                size_t nameBegin = begin;
                size_t nameEnd = at;
                size_t valueBegin = at + 1;
                size_t valueEnd = end;
                trim(text_, nameBegin, nameEnd);
                trim(text_, valueBegin, valueEnd);
                const std::uint32_t hash = foldedHash(std::string_view(text_).substr(nameBegin, nameEnd - nameBegin));
                keys_.push_back({offset(pos), offset(next), offset(nameBegin), offset(nameEnd), offset(valueBegin),
                                 offset(valueEnd), hash});
                Section& section = sections_.back();
                section.endKey = offset(keys_.size());
                section.insertAt = offset(next);
                section.insertAfterUnterminatedLine = !found;
            }
        }
        pos = next;
    }
}

std::string_view IniDocument::slice(std::uint32_t begin, std::uint32_t end) const
{
    return std::string_view(text_).substr(begin, end - begin);
}

const IniDocument::Section* IniDocument::findSection(std::string_view name) const
{
    const std::uint32_t hash = foldedHash(name);
    for (const Section& section : sections_)
        if (section.nameHash == hash && equalsNoCase(slice(section.nameBegin, section.nameEnd), name))
            return &section;
    return nullptr;
}

const IniDocument::Key* IniDocument::findKey(const Section& section, std::string_view name) const
{
    const std::uint32_t hash = foldedHash(name);
    for (std::uint32_t i = section.firstKey; i < section.endKey; ++i)
        if (keys_[i].nameHash == hash && equalsNoCase(slice(keys_[i].nameBegin, keys_[i].nameEnd), name))
            return &keys_[i];
    return nullptr;
}

std::optional<std::string_view> IniDocument::value(std::string_view section, std::string_view key) const
{
    const Section* found = findSection(section);
    if (!found)
        return std::nullopt;
    const Key* line = findKey(*found, key);
    if (!line)
        return std::nullopt;
    return slice(line->valueBegin, line->valueEnd);
}

std::vector<std::string_view> IniDocument::sectionNames() const
{
    std::vector<std::string_view> names;
    names.reserve(sections_.size());
    for (const Section& section : sections_)
        names.push_back(slice(section.nameBegin, section.nameEnd));
    return names;
}

std::vector<std::string_view> IniDocument::keyNames(std::string_view section) const
{
    std::vector<std::string_view> names;
    if (const Section* found = findSection(section))
        for (std::uint32_t i = found->firstKey; i < found->endKey; ++i)
            names.push_back(slice(keys_[i].nameBegin, keys_[i].nameEnd));
    return names;
}

std::string IniDocument::withValue(std::string_view section, std::string_view key, std::string_view value) const
{
    const std::string_view text = text_;
    std::string out;
    const Section* found = findSection(section);
    if (!found)
    {
        out.reserve(text.size() + section.size() + key.size() + value.size() + 8);
        out = text;
        if (!out.empty() && out.back() != '\n' && out.back() != '\r')
            out += newline_;
        out.append("[").append(section).append("]").append(newline_);
        out.append(key).append("=").append(value).append(newline_);
        return out;
    }
    if (const Key* line = findKey(*found, key))
    {
        out.reserve(text.size() + value.size());
        out.append(text.substr(0, line->valueBegin)).append(value).append(text.substr(line->valueEnd));
        return out;
    }
    out.reserve(text.size() + key.size() + value.size() + 4);
    out.append(text.substr(0, found->insertAt));
    if (found->insertAfterUnterminatedLine)
        out.append(newline_);
    out.append(key).append("=").append(value).append(newline_);
    out.append(text.substr(found->insertAt));
    return out;
}

std::string IniDocument::withoutKey(std::string_view section, std::string_view key) const
{
    const Section* found = findSection(section);
    const Key* line = found ? findKey(*found, key) : nullptr;
    if (!line)
        return text_;
    const std::string_view text = text_;
    return std::string(text.substr(0, line->begin)).append(text.substr(line->next));
}

std::string IniDocument::withoutSection(std::string_view section) const
{
    const Section* found = findSection(section);
    if (!found)
        return text_;
    const std::string_view text = text_;
    return std::string(text.substr(0, found->begin)).append(text.substr(found->end));
}
} // namespace platform::detail
