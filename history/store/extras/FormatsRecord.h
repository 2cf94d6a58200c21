#pragma once
#include <memory>
#include <vector>

#include "history/model/EntryFormats.h"
#include "history/model/FormatsShelf.h"
#include "history/store/extras/ExtrasFormat.h"
#include "history/store/extras/ExtrasMap.h"

// An entry's kept formats as the extras file and the journal hold them, and back.
// Shelved in memory; null when nothing was kept.
std::shared_ptr<const EntryFormats> FromStored(const extras::Formats& stored);
// The kept formats of the kinds Quillary keeps; any other is dropped.
std::vector<KeptFormat> KeptOf(extras::Formats stored);
// The formats as the list holds them, their bytes (but the file list's) on `shelf`.
std::shared_ptr<const EntryFormats> OutlineOf(const extras::Formats& outline, std::shared_ptr<FormatsShelf> shelf);

// Whether a format's bytes stay with the list rather than on disk: the file
// list alone, which the preview and the icon go by.
bool KeptInOutline(const extras::Format& format);

// What an entry keeps, as a map's outline holds it: names, sizes and CRCs of
// `kept`'s bytes (a file list's bytes too).
extras::Outline OutlineOf(const EntryFormats& formats, const std::vector<KeptFormat>& kept);
// The formats as the list holds them from an outline, their bytes on `shelf`.
std::shared_ptr<const EntryFormats> FromOutline(const extras::Outline& outline, std::shared_ptr<FormatsShelf> shelf);

// The journal's form: the encoded formats, and back (null when they do not read whole).
std::vector<std::uint8_t> EncodeEntryFormats(const std::shared_ptr<const EntryFormats>& formats);
std::shared_ptr<const EntryFormats> DecodeEntryFormats(const std::vector<std::uint8_t>& bytes);
