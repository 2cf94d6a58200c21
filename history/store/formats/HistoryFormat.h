#pragma once
// Records of the history file "data.data": a kind int, and for text entries
// the text as an archive string. No header, no count.
#include <cstdint>
#include <string>

#include "framework/ArchiveCore.h"

constexpr std::int32_t kHistoryTextRecord = 1;
constexpr std::int32_t kHistoryBitmapRecord = 2;

struct HistoryRecord {
    std::int32_t kind = 0;  // any kind but text or bitmap yields no entry
    std::u16string text;    // text records only, cut at its first NUL as entries keep it
};

// Throws ArchiveStringTooLong, having written nothing, for a text whose length
// the format cannot hold: the caller skips that entry (and says so) and the
// records written before and after it stay readable.
void WriteTextRecord(ByteSink& sink, std::u16string_view text, const AnsiCodec& codec);
// The picture itself goes into a BMP file of its own.
void WriteBitmapRecord(ByteSink& sink);

// Reads one record; after an unknown kind nothing more is read. Throws
// ArchiveEndOfFile when the record runs past the end of the data.
HistoryRecord ReadHistoryRecord(ByteSource& source, const AnsiCodec& codec);
// The same without decoding: the kind, and a text record's string as the data
// holds it, in `bytes` (reused from record to record by a long load).
std::int32_t ReadHistoryRecordRaw(ByteSource& source, archive::RawString& text, std::string& bytes);
