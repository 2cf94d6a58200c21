#include "history/store/formats/HistoryFormat.h"

void WriteTextRecord(ByteSink& sink, std::u16string_view text, const AnsiCodec& codec) {
    // Encoded first: a refused text must not leave its kind behind in the file.
    const archive::EncodedString encoded = archive::EncodeString(text, codec);
    archive::WriteInt32(sink, kHistoryTextRecord);
    archive::WriteEncodedString(sink, encoded);
}

void WriteBitmapRecord(ByteSink& sink) { archive::WriteInt32(sink, kHistoryBitmapRecord); }

std::int32_t ReadHistoryRecordRaw(ByteSource& source, archive::RawString& text, std::string& bytes) {
    const std::int32_t kind = archive::ReadInt32(source);
    if (kind == kHistoryTextRecord) text = archive::ReadRawString(source, bytes);
    return kind;
}

HistoryRecord ReadHistoryRecord(ByteSource& source, const AnsiCodec& codec) {
    HistoryRecord record;
    archive::RawString raw;
    std::string bytes;
    record.kind = ReadHistoryRecordRaw(source, raw, bytes);
    if (record.kind == kHistoryTextRecord) {
        record.text = archive::DecodeRawString(raw, bytes, codec);
        // Entries are NUL-terminated blocks: the text ends at its first NUL.
        const std::size_t nul = record.text.find(u'\0');
        if (nul != std::u16string::npos) record.text.erase(nul);
    }
    return record;
}
