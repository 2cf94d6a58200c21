#pragma once
// The sealed extras ("data.qextras") and formats files ("<id>.qfmt").
//
// The first sealed form sealed a record at a time, so that a start reads
// each entry's capture time and what its formats are without their bytes, and
// a paste opens one entry's formats alone. Layout: "QXTS", a 32-bit version, the sealed header's length and the header
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
#include "history/store/extras/ExtrasMap.h"
#include "history/store/sealed/StoreForm.h"

namespace sealed_extras {

// What a record is sealed to: its file's history and its position.
std::uint64_t SealId(std::uint32_t historyCrc, std::uint32_t position);

// The map and formats files of this version (see ExtrasMap.h) sealed with the
// form's key: "QXTS"; each slot sealed to its position and the set, each
// outline too; a formats file "QXFS", version 1, the id, the set it was sealed
// in (64-bit), then the kept formats' bytes sealed to the id and that set.
extras::Seals MapSeals(const StoreForm& form);
// Empty when the key cannot seal.
std::vector<std::uint8_t> EncodeFormatsFile(const StoreForm& form, std::uint64_t id,
                                            const std::vector<std::uint8_t>& bytes);
bool DecodeFormatsFile(const StoreForm& form, const std::vector<std::uint8_t>& file, std::uint64_t id,
                       std::uint64_t set, const extras::Outline& outline, std::vector<extras::Format>& kept);

// The first sealed extras (version 1), read only: false when the source is
// not in this form or its header does not open.
bool IndexRecords(const extras::Source& source, const StoreForm& form, extras::Index& index);
// A record's formats from their sealed part.
bool OpenFormats(const StoreForm& form, std::uint64_t sealId, std::vector<std::uint8_t> part, extras::Formats& formats);

}  // namespace sealed_extras
