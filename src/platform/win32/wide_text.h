// wchar_t and char16_t are both UTF-16 code units on Windows: the seam's strings pass to the
// W functions as they are.
#pragma once

#include <string>

namespace rvs::platform::win32 {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 wchar_t expected");

inline const wchar_t* wide(const char16_t* text) { return reinterpret_cast<const wchar_t*>(text); }
inline const wchar_t* wide(const std::u16string& text) { return wide(text.c_str()); }
// For winspool's non-const LPWSTR parameters, which it only reads.
inline wchar_t* mutableWide(const char16_t* text) { return const_cast<wchar_t*>(wide(text)); }
inline std::u16string fromWide(const wchar_t* text) { return std::u16string(reinterpret_cast<const char16_t*>(text)); }

}  // namespace rvs::platform::win32
