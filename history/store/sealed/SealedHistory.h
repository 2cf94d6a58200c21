#pragma once
// The sealed history file ("data.qdata"), a record at a time, so that a
// damaged byte costs one entry: "QHST", a 32-bit version (2), then records,
// each the marker "QHRC", a 32-bit length and the record as the history file
// holds it, sealed to its position and the save set. A record that does not
// open is skipped: the next one is found by its marker and must open at the
// next position, which no copied content can forge. (Version 1 sealed the
// whole history file at once: read by Legacy.)
#include <cstdint>
#include <vector>

#include "history/store/sealed/StoreForm.h"

namespace sealed_history {

std::vector<std::uint8_t> EncodeStart();
// Appends record `position` to `out`; false when the key cannot seal.
bool EncodeRecord(const StoreForm& form, std::uint32_t position, const std::vector<std::uint8_t>& record,
                  std::vector<std::uint8_t>& out);
// Each record's plain bytes by position, up to the last that opens; an empty
// one for a record that does not. False when the bytes are not this form at all.
bool Decode(const StoreForm& form, const std::vector<std::uint8_t>& bytes, std::vector<std::vector<std::uint8_t>>& records,
            std::vector<bool>& opened);

}  // namespace sealed_history
