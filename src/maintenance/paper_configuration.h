// Paper selection on the Windows side: the printer's default device mode pointed at one of five
// paper forms, and the two user-defined sizes kept in the driver's settings record and
// registered as spooler forms.
#pragma once

#include <cstdint>

#include "session/result_codes.h"
#include "session/session.h"

namespace rvs {

inline constexpr uint8_t kLastSizeCode = 4;
inline constexpr uint8_t kLastPaperType = 2;
inline constexpr uint16_t kShortestUserLengthMm = 70;
inline constexpr uint16_t kLongestUserLengthMm = 297;

// Size codes 2 and 3 are user-defined: their length comes from the caller.
inline bool userDefinedSize(uint8_t sizeCode) { return sizeCode == 2 || sizeCode == 3; }

// One row of the paper forms: widths, lengths and margins in 0.1 mm.
struct PaperFormRow {
    uint8_t sizeCode;
    uint8_t paperType;
    const char16_t* formName;
    uint32_t width, length;
    uint32_t left, top, right, bottom;
};

// The row of a size code; null for a code above 4.
const PaperFormRow* paperFormForSize(uint8_t sizeCode);
// The first row of a paper type (0 Letter, 1 A4, 2 the 6-inch paper); null for another type.
const PaperFormRow* paperFormForType(uint8_t paperType);

// Points the printer's default DEVMODEW at the driver's paper named as the size code's form.
// 16 when the printer information, its device mode, the paper lists or that paper are not to be
// had, or the printer refuses the new device mode.
Result SelectPaperForm(Session& session, uint8_t sizeCode);

// Writes the user size into its slot of the settings record (width and margins of the paper
// type's row, `lengthMm` as the length) and registers the form with the spooler. 16 for a size
// code that is not user-defined, an unknown paper type, or a settings record that cannot be read
// whole or written back.
Result StoreUserPaperSize(Session& session, uint8_t sizeCode, uint8_t paperType, uint16_t lengthMm);

}  // namespace rvs
