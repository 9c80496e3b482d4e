// A byte string with the interface of the platform framework's CString, as the engine uses it.
// Texts are single-byte; case mapping touches the letters a-z and A-Z only, whatever the locale.
#pragma once

#include "platform/Export.h"
#include "platform/WinTypes.h"

#include <cstdarg>
#include <string>
#include <string_view>

/// A growable, zero-terminated byte string. Indexes are 0-based ints; out-of-range arguments to
/// the extraction functions are clamped to the string, never read past.
class PLATFORM_API CString
{
  public:
    CString() = default;
    CString(const char* text);
    CString(const char* text, int length);
    CString(char ch, int repeat = 1);
    CString(std::string_view text);
    CString(const CString&) = default;
    CString(CString&&) noexcept = default;
    ~CString() = default;

    CString& operator=(const CString&) = default;
    CString& operator=(CString&&) noexcept = default;
    CString& operator=(const char* text);
    CString& operator=(char ch);

    /// The number of bytes, terminator excluded.
    int GetLength() const;
    bool IsEmpty() const;
    /// Makes the string empty.
    void Empty();
    /// The byte at index; the terminator (0) for an index at or past the end.
    char GetAt(int index) const;
    void SetAt(int index, char ch);
    /// As GetAt.
    char operator[](int index) const;
    /// The zero-terminated text, valid until the string is next changed.
    operator const char*() const;
    const char* GetString() const;
    /// The bytes as a standard string (which may hold zero bytes).
    const std::string& str() const;

    CString& operator+=(const CString& other);
    CString& operator+=(const char* text);
    CString& operator+=(char ch);

    /// Ordinal comparison of the bytes as unsigned characters: <0, 0 or >0.
    int Compare(const char* other) const;
    /// As Compare, with A-Z folded onto a-z (so "_" sorts before "A", as on the platform).
    int CompareNoCase(const char* other) const;

    CString Mid(int first) const;
    CString Mid(int first, int count) const;
    CString Left(int count) const;
    CString Right(int count) const;
    /// The leading run of characters that are all in the set.
    CString SpanIncluding(const char* set) const;
    /// The leading run of characters none of which is in the set.
    CString SpanExcluding(const char* set) const;

    /// Maps a-z to A-Z; every other byte is left as it is.
    CString& MakeUpper();
    /// Maps A-Z to a-z; every other byte is left as it is.
    CString& MakeLower();
    CString& MakeReverse();

    /// Removes leading white space (space, tab, CR, LF, VT, FF).
    CString& TrimLeft();
    CString& TrimLeft(char target);
    CString& TrimLeft(const char* targets);
    CString& TrimRight();
    CString& TrimRight(char target);
    CString& TrimRight(const char* targets);
    CString& Trim();
    CString& Trim(const char* targets);

    /// Index of the first occurrence at or after start, or -1.
    int Find(char ch, int start = 0) const;
    int Find(const char* sub, int start = 0) const;
    /// Index of the last occurrence, or -1.
    int ReverseFind(char ch) const;
    /// Index of the first character that is in the set, or -1.
    int FindOneOf(const char* set) const;

    /// Replaces every occurrence; returns the number replaced.
    int Replace(char from, char to);
    int Replace(const char* from, const char* to);
    /// Removes every occurrence of ch; returns the number removed.
    int Remove(char ch);
    /// Inserts before index (clamped); returns the new length.
    int Insert(int index, char ch);
    int Insert(int index, const char* text);
    /// Deletes count characters from index (clamped); returns the new length.
    int Delete(int index, int count = 1);

    /// Replaces the contents with printf-style formatted text.
    void Format(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void FormatV(const char* format, va_list args);
    void AppendFormat(const char* format, ...) __attribute__((format(printf, 2, 3)));

    /// A writable buffer of at least minLength characters plus the terminator. The contents past
    /// the current length are zero; call ReleaseBuffer before using the string again.
    char* GetBuffer(int minLength = 0);
    char* GetBufferSetLength(int length);
    /// Sets the length to newLength, or to the text up to the first zero byte when it is -1.
    void ReleaseBuffer(int newLength = -1);

  private:
    std::string str_;
};

PLATFORM_API CString operator+(const CString& a, const CString& b);
PLATFORM_API CString operator+(const CString& a, const char* b);
PLATFORM_API CString operator+(const char* a, const CString& b);
PLATFORM_API CString operator+(const CString& a, char b);
PLATFORM_API CString operator+(char a, const CString& b);

inline bool operator==(const CString& a, const CString& b)
{
    return a.str() == b.str();
}
inline bool operator==(const CString& a, const char* b)
{
    return a.Compare(b) == 0;
}
inline bool operator==(const char* a, const CString& b)
{
    return b.Compare(a) == 0;
}
inline bool operator!=(const CString& a, const CString& b)
{
    return !(a == b);
}
inline bool operator!=(const CString& a, const char* b)
{
    return !(a == b);
}
inline bool operator!=(const char* a, const CString& b)
{
    return !(b == a);
}
inline bool operator<(const CString& a, const CString& b)
{
    return a.Compare(b) < 0;
}
inline bool operator>(const CString& a, const CString& b)
{
    return a.Compare(b) > 0;
}
inline bool operator<=(const CString& a, const CString& b)
{
    return a.Compare(b) <= 0;
}
inline bool operator>=(const CString& a, const CString& b)
{
    return a.Compare(b) >= 0;
}
// Mixed comparisons: without them "s < \"x\"" would be ambiguous between these operators and the
// built-in comparison of pointers through the conversion to const char*.
inline bool operator<(const CString& a, const char* b)
{
    return a.Compare(b) < 0;
}
inline bool operator<(const char* a, const CString& b)
{
    return 0 < b.Compare(a);
}
inline bool operator>(const CString& a, const char* b)
{
    return a.Compare(b) > 0;
}
inline bool operator>(const char* a, const CString& b)
{
    return 0 > b.Compare(a);
}
inline bool operator<=(const CString& a, const char* b)
{
    return a.Compare(b) <= 0;
}
inline bool operator<=(const char* a, const CString& b)
{
    return 0 <= b.Compare(a);
}
inline bool operator>=(const CString& a, const char* b)
{
    return a.Compare(b) >= 0;
}
inline bool operator>=(const char* a, const CString& b)
{
    return 0 >= b.Compare(a);
}
