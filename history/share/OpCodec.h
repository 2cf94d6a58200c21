#pragma once
// Operations as bytes, before they are sealed: a count, then each operation as
// its kind (1 byte), its stamp (time 8, count 4, PC 16), the entry (16) and,
// for a copy, the capture time (8), the text's length in UTF-16 units (4) and
// the text (UTF-16LE). Integers little-endian.
#include <cstdint>
#include <vector>

#include "history/share/ShareOp.h"

namespace opcodec {

void Encode(const std::vector<ShareOp>& ops, std::vector<std::uint8_t>& out);
// False when the bytes are not exactly a whole list of known operations; `ops`
// then holds nothing from them.
bool Decode(const std::uint8_t* data, std::size_t size, std::vector<ShareOp>& ops);

}  // namespace opcodec
