#pragma once
#include <memory>
#include <vector>

#include "history/model/EntryFormats.h"
#include "history/store/ExtrasFormat.h"

// An entry's kept formats as the extras file and the journal hold them, and back.
extras::Formats ToStored(const EntryFormats& formats);
// Null when nothing was kept.
std::shared_ptr<const EntryFormats> FromStored(const extras::Formats& stored);

// The journal's form: the encoded formats, and back (null when they do not read whole).
std::vector<std::uint8_t> EncodeEntryFormats(const EntryFormats& formats);
std::shared_ptr<const EntryFormats> DecodeEntryFormats(const std::vector<std::uint8_t>& bytes);
