#ifndef BASE_TEXT_H_
#define BASE_TEXT_H_

#include <string>
#include <string_view>

namespace base {

// Text lives in memory as UTF-8. These convert at the edges: Jet stores
// UTF-16LE, INI files and logs use Windows-1252. Input that does not decode
// never fails: it becomes U+FFFD (or '?' where the target cannot hold it).
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);
std::u32string Utf8ToUtf32(std::string_view utf8);
std::string Utf32ToUtf8(std::u32string_view utf32);
std::string Utf8ToCp1252(std::string_view utf8);
std::string Cp1252ToUtf8(std::string_view cp1252);

// Unicode upper case of every character (not ASCII only), for comparisons
// that ignore letter case.
std::string UpperCase(std::string_view utf8);
std::u32string UpperCase32(std::u32string_view text);
// Appends UpperCase(utf8) to `out` (for ASCII without a temporary).
void AppendUpperCase(std::string& out, std::string_view utf8);
// True when both texts are equal without regard to case.
bool EqualsIgnoreCase(std::string_view a, std::string_view b);

// Length in characters (code points), not bytes.
size_t CharCount(std::string_view utf8);

}  // namespace base

#endif  // BASE_TEXT_H_
