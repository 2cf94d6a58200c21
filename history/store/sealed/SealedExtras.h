#pragma once
// The extras sealed a record at a time ("data.qextras"), so that a start reads
// each entry's capture time and what its formats are without their bytes, and
// a paste opens one entry's formats alone.
//
// Layout: "QXTS", a 32-bit version, the sealed header's length and the header
// (the plain extras header, sealed as Extras, 0); then records. A record is
// the marker "QXRC", its 32-bit position, the lengths of its two sealed parts
// (32-bit each) and the parts: the outline (the plain record's payload with
// the formats' bytes left out but the file list's, sealed as ExtrasRecord) and
// the formats whole (as EncodeFormats writes them, sealed as ExtrasFormats;
// absent when nothing is kept). Both are sealed to the position and the CRC of
// the history file, so a record moved to another place or another file is
// refused. A damaged record costs its own entry its extras: reading goes on
// at the next marker.
#include <cstdint>
#include <vector>

#include "history/store/extras/ExtrasIndex.h"
#include "history/store/sealed/StoreForm.h"

namespace sealed_extras {

// What a record is sealed to: its file's history and its position.
std::uint64_t SealId(std::uint32_t historyCrc, std::uint32_t position);

// Empty when the key cannot seal.
std::vector<std::uint8_t> EncodeHeader(const StoreForm& form, std::uint64_t historySize, std::uint32_t historyCrc);
// Appends one record; `span` is where its formats' sealed part lands in `out`
// (length 0: none). False when the key cannot seal.
bool EncodeRecord(const StoreForm& form, std::uint32_t historyCrc, std::uint32_t position, const extras::Record& record,
                  const extras::KeepBytes& keepBytes, std::vector<std::uint8_t>& out, extras::Span& span);
// False when the source is not in this form or its header does not open.
bool IndexRecords(const extras::Source& source, const StoreForm& form, extras::Index& index);
// A record's formats from their sealed part.
bool OpenFormats(const StoreForm& form, std::uint64_t sealId, std::vector<std::uint8_t> part, extras::Formats& formats);

}  // namespace sealed_extras
