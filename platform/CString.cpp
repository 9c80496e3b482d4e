// The platform string over std::string: byte semantics, clamped indexes, ASCII-only case mapping.
#include "platform/CString.h"

#include "platform/Ascii.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace
{
bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

using platform::detail::foldCase;
using platform::detail::lowerCase;

const char* orEmpty(const char* text)
{
    return text ? text : "";
}
} // namespace

CString::CString(const char* text) : str_(orEmpty(text))
{
}

CString::CString(const char* text, int length)
{
    if (text && length > 0)
        str_.assign(text, static_cast<size_t>(length));
}

CString::CString(char ch, int repeat)
{
    if (repeat > 0)
        str_.assign(static_cast<size_t>(repeat), ch);
}

CString::CString(std::string_view text) : str_(text)
{
}

int CString::GetLength() const
{
    return static_cast<int>(str_.size());
}

bool CString::IsEmpty() const
{
    return str_.empty();
}

void CString::Empty()
{
    str_.clear();
}

char CString::operator[](int index) const
{
    return GetAt(index);
}

CString::operator const char*() const
{
    return str_.c_str();
}

const char* CString::GetString() const
{
    return str_.c_str();
}

const std::string& CString::str() const
{
    return str_;
}

CString& CString::operator=(const char* text)
{
    str_ = orEmpty(text);
    return *this;
}

CString& CString::operator=(char ch)
{
    str_.assign(1, ch);
    return *this;
}

char CString::GetAt(int index) const
{
    if (index < 0 || index >= GetLength())
        return '\0';
    return str_[static_cast<size_t>(index)];
}

void CString::SetAt(int index, char ch)
{
    if (index >= 0 && index < GetLength())
        str_[static_cast<size_t>(index)] = ch;
}

CString& CString::operator+=(const CString& other)
{
    str_ += other.str_;
    return *this;
}

CString& CString::operator+=(const char* text)
{
    str_ += orEmpty(text);
    return *this;
}

CString& CString::operator+=(char ch)
{
    str_ += ch;
    return *this;
}

int CString::Compare(const char* other) const
{
    // strcmp compares as unsigned char, which is the ordinal order the engine relies on.
    return std::strcmp(str_.c_str(), orEmpty(other));
}

int CString::CompareNoCase(const char* other) const
{
    const auto* a = reinterpret_cast<const unsigned char*>(str_.c_str());
    const auto* b = reinterpret_cast<const unsigned char*>(orEmpty(other));
    for (;; ++a, ++b)
    {
        // The platform folds to lower case, which puts "_" and the other characters between 'Z'
        // and 'a' before the letters.
        const auto ca = static_cast<unsigned char>(lowerCase(static_cast<char>(*a)));
        const auto cb = static_cast<unsigned char>(lowerCase(static_cast<char>(*b)));
        if (ca != cb || ca == 0)
            return static_cast<int>(ca) - static_cast<int>(cb);
    }
}

CString CString::Mid(int first) const
{
    return Mid(first, GetLength());
}

CString CString::Mid(int first, int count) const
{
    const int length = GetLength();
    first = std::clamp(first, 0, length);
    count = std::clamp(count, 0, length - first);
    return CString(std::string_view(str_).substr(static_cast<size_t>(first), static_cast<size_t>(count)));
}

CString CString::Left(int count) const
{
    return Mid(0, count);
}

CString CString::Right(int count) const
{
    count = std::clamp(count, 0, GetLength());
    return Mid(GetLength() - count, count);
}

CString CString::SpanIncluding(const char* set) const
{
    return Left(static_cast<int>(std::strspn(str_.c_str(), orEmpty(set))));
}

CString CString::SpanExcluding(const char* set) const
{
    return Left(static_cast<int>(std::strcspn(str_.c_str(), orEmpty(set))));
}

CString& CString::MakeUpper()
{
    for (char& c : str_)
        c = foldCase(c);
    return *this;
}

CString& CString::MakeLower()
{
    for (char& c : str_)
        c = lowerCase(c);
    return *this;
}

CString& CString::MakeReverse()
{
    std::reverse(str_.begin(), str_.end());
    return *this;
}

CString& CString::TrimLeft()
{
    size_t i = 0;
    while (i < str_.size() && isBlank(str_[i]))
        ++i;
    str_.erase(0, i);
    return *this;
}

CString& CString::TrimLeft(char target)
{
    const char set[2] = {target, '\0'};
    return TrimLeft(set);
}

CString& CString::TrimLeft(const char* targets)
{
    const size_t first = str_.find_first_not_of(orEmpty(targets));
    str_.erase(0, first == std::string::npos ? str_.size() : first);
    return *this;
}

CString& CString::TrimRight()
{
    size_t n = str_.size();
    while (n > 0 && isBlank(str_[n - 1]))
        --n;
    str_.resize(n);
    return *this;
}

CString& CString::TrimRight(char target)
{
    const char set[2] = {target, '\0'};
    return TrimRight(set);
}

CString& CString::TrimRight(const char* targets)
{
    const size_t last = str_.find_last_not_of(orEmpty(targets));
    str_.resize(last == std::string::npos ? 0 : last + 1);
    return *this;
}

CString& CString::Trim()
{
    return TrimRight().TrimLeft();
}

CString& CString::Trim(const char* targets)
{
    return TrimRight(targets).TrimLeft(targets);
}

int CString::Find(char ch, int start) const
{
    if (start < 0 || start >= GetLength())
        return -1;
    const size_t at = str_.find(ch, static_cast<size_t>(start));
    return at == std::string::npos ? -1 : static_cast<int>(at);
}

int CString::Find(const char* sub, int start) const
{
    if (start < 0 || start > GetLength())
        return -1;
    const size_t at = str_.find(orEmpty(sub), static_cast<size_t>(start));
    return at == std::string::npos ? -1 : static_cast<int>(at);
}

int CString::ReverseFind(char ch) const
{
    const size_t at = str_.rfind(ch);
    return at == std::string::npos ? -1 : static_cast<int>(at);
}

int CString::FindOneOf(const char* set) const
{
    const size_t at = str_.find_first_of(orEmpty(set));
    return at == std::string::npos ? -1 : static_cast<int>(at);
}

int CString::Replace(char from, char to)
{
    int n = 0;
    for (char& c : str_)
        if (c == from)
        {
            c = to;
            ++n;
        }
    return n;
}

int CString::Replace(const char* from, const char* to)
{
    const std::string_view f = orEmpty(from);
    const std::string_view t = orEmpty(to);
    if (f.empty())
        return 0;
    int n = 0;
    std::string out;
    size_t pos = 0;
    for (size_t at; (at = str_.find(f, pos)) != std::string::npos; pos = at + f.size(), ++n)
    {
        out.append(str_, pos, at - pos);
        out.append(t);
    }
    out.append(str_, pos, std::string::npos);
    str_ = std::move(out);
    return n;
}

int CString::Remove(char ch)
{
    const auto before = str_.size();
    str_.erase(std::remove(str_.begin(), str_.end(), ch), str_.end());
    return static_cast<int>(before - str_.size());
}

int CString::Insert(int index, char ch)
{
    str_.insert(static_cast<size_t>(std::clamp(index, 0, GetLength())), 1, ch);
    return GetLength();
}

int CString::Insert(int index, const char* text)
{
    str_.insert(static_cast<size_t>(std::clamp(index, 0, GetLength())), orEmpty(text));
    return GetLength();
}

int CString::Delete(int index, int count)
{
    index = std::clamp(index, 0, GetLength());
    count = std::clamp(count, 0, GetLength() - index);
    str_.erase(static_cast<size_t>(index), static_cast<size_t>(count));
    return GetLength();
}

void CString::Format(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    FormatV(format, args);
    va_end(args);
}

void CString::FormatV(const char* format, va_list args)
{
    va_list copy;
    va_copy(copy, args);
    const int n = std::vsnprintf(nullptr, 0, orEmpty(format), copy);
    va_end(copy);
    if (n < 0)
    {
        str_.clear();
        return;
    }
    std::string out(static_cast<size_t>(n), '\0');
    std::vsnprintf(out.data(), out.size() + 1, orEmpty(format), args);
    str_ = std::move(out);
}

void CString::AppendFormat(const char* format, ...)
{
    CString tail;
    va_list args;
    va_start(args, format);
    tail.FormatV(format, args);
    va_end(args);
    str_ += tail.str_;
}

char* CString::GetBuffer(int minLength)
{
    if (minLength > GetLength())
        str_.resize(static_cast<size_t>(minLength), '\0');
    return str_.data();
}

char* CString::GetBufferSetLength(int length)
{
    str_.resize(static_cast<size_t>(std::max(length, 0)), '\0');
    return str_.data();
}

void CString::ReleaseBuffer(int newLength)
{
    if (newLength < 0)
        newLength = static_cast<int>(std::strlen(str_.c_str()));
    str_.resize(static_cast<size_t>(std::min(newLength, GetLength())));
}

CString operator+(const CString& a, const CString& b)
{
    CString r(a);
    r += b;
    return r;
}

CString operator+(const CString& a, const char* b)
{
    CString r(a);
    r += b;
    return r;
}

CString operator+(const char* a, const CString& b)
{
    CString r(a);
    r += b;
    return r;
}

CString operator+(const CString& a, char b)
{
    CString r(a);
    r += b;
    return r;
}

CString operator+(char a, const CString& b)
{
    CString r(a);
    r += b;
    return r;
}
