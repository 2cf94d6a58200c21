#include "history/SettingsFormat.h"

#include <cstddef>

namespace {

constexpr std::size_t kRectBytes = 16;

void RectToBytes(const std::int32_t (&rect)[4], std::uint8_t (&bytes)[kRectBytes]) {
    for (std::size_t i = 0; i < 4; ++i) {
        const std::uint32_t value = static_cast<std::uint32_t>(rect[i]);
        for (std::size_t b = 0; b < 4; ++b) bytes[4 * i + b] = static_cast<std::uint8_t>(value >> (8 * b));
    }
}

void BytesToRect(const std::uint8_t (&bytes)[kRectBytes], std::int32_t (&rect)[4]) {
    for (std::size_t i = 0; i < 4; ++i) {
        std::uint32_t value = 0;
        for (std::size_t b = 0; b < 4; ++b) value |= static_cast<std::uint32_t>(bytes[4 * i + b]) << (8 * b);
        rect[i] = static_cast<std::int32_t>(value);
    }
}

}  // namespace

void WriteSettings(ByteSink& sink, const SettingsRecord& record, const AnsiCodec& codec) {
    archive::WriteString(sink, record.before, codec);
    archive::WriteString(sink, record.after, codec);
    archive::WriteInt32(sink, record.entryCount);
    archive::WriteInt32(sink, record.autoRun);
    archive::WriteInt32(sink, record.compoundPaste);
    archive::WriteInt32(sink, record.topCount);
    std::uint8_t bytes[kRectBytes];
    RectToBytes(record.rect, bytes);
    sink.WriteBytes(bytes, sizeof bytes);
}

bool ReadSettings(ByteSource& source, SettingsRecord& record, const AnsiCodec& codec) {
    try {
        record.before = archive::ReadString(source, codec);
        record.after = archive::ReadString(source, codec);
        record.entryCount = archive::ReadInt32(source);
        record.autoRun = archive::ReadInt32(source);
        record.compoundPaste = archive::ReadInt32(source);
        record.topCount = archive::ReadInt32(source);
    } catch (const ArchiveError&) {
        return false;
    }
    std::uint8_t bytes[kRectBytes];
    RectToBytes(record.rect, bytes);
    const std::size_t got = source.ReadBytes(bytes, sizeof bytes);
    BytesToRect(bytes, record.rect);
    return got == sizeof bytes;
}
