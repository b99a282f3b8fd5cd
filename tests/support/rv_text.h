// UTF-16 test strings as the C API takes them: RvChar is wchar_t on Windows and char16_t
// elsewhere, both UTF-16 code units.
#pragma once

#include <string>

#include "RvStatement.h"

namespace rvs::test {

static_assert(sizeof(RvChar) == sizeof(char16_t), "RvChar holds UTF-16 code units");

inline const RvChar* rvText(const char16_t* text) { return reinterpret_cast<const RvChar*>(text); }
inline const RvChar* rvText(const std::u16string& text) { return rvText(text.c_str()); }

}  // namespace rvs::test
