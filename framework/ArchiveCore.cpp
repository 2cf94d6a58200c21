#include "framework/ArchiveCore.h"

#include <algorithm>

namespace archive {
namespace {

// The 16-bit value after a leading FF that announces UTF-16 text.
constexpr std::uint16_t kUnicodeMarker = 0xFFFE;
// Strings are read at most this much at a time, so memory follows the data
// actually present, never what a prefix claims.
constexpr std::size_t kReadChunk = 64 * 1024;

void WriteUInt8(ByteSink& sink, std::uint8_t value) { sink.WriteBytes(&value, 1); }

void WriteUInt16(ByteSink& sink, std::uint16_t value) {
    const std::uint8_t bytes[2] = {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8)};
    sink.WriteBytes(bytes, sizeof bytes);
}

void WriteUInt32(ByteSink& sink, std::uint32_t value) {
    const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
                                   static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
    sink.WriteBytes(bytes, sizeof bytes);
}

std::uint8_t ReadUInt8(ByteSource& source) {
    std::uint8_t value = 0;
    ReadExact(source, &value, 1);
    return value;
}

std::uint16_t ReadUInt16(ByteSource& source) {
    std::uint8_t bytes[2];
    ReadExact(source, bytes, sizeof bytes);
    return static_cast<std::uint16_t>(bytes[0] | (bytes[1] << 8));
}

std::uint32_t ReadUInt32(ByteSource& source) {
    std::uint8_t bytes[4];
    ReadExact(source, bytes, sizeof bytes);
    return static_cast<std::uint32_t>(bytes[0]) | (static_cast<std::uint32_t>(bytes[1]) << 8) |
           (static_cast<std::uint32_t>(bytes[2]) << 16) | (static_cast<std::uint32_t>(bytes[3]) << 24);
}

struct Prefix {
    std::uint32_t length;
    bool unicodeMarker;
};

Prefix ReadPrefix(ByteSource& source) {
    const std::uint8_t first = ReadUInt8(source);
    if (first < 0xFF) return {first, false};
    const std::uint16_t second = ReadUInt16(source);
    if (second == kUnicodeMarker) return {0, true};
    if (second < 0xFFFF) return {second, false};
    return {ReadUInt32(source), false};
}

void ReadChunked(ByteSource& source, std::uint64_t count, std::string& bytes) {
    bytes.clear();
    while (count > 0) {
        const std::size_t chunk = static_cast<std::size_t>(std::min<std::uint64_t>(count, kReadChunk));
        const std::size_t filled = bytes.size();
        bytes.resize(filled + chunk);
        ReadExact(source, &bytes[filled], chunk);
        count -= chunk;
    }
}

}  // namespace

void ReadExact(ByteSource& source, void* buffer, std::size_t count) {
    if (source.ReadBytes(buffer, count) != count) throw ArchiveEndOfFile();
}

void WriteInt32(ByteSink& sink, std::int32_t value) { WriteUInt32(sink, static_cast<std::uint32_t>(value)); }

std::int32_t ReadInt32(ByteSource& source) { return static_cast<std::int32_t>(ReadUInt32(source)); }

void WriteLength(ByteSink& sink, std::uint32_t length) {
    if (length < 0xFF) {
        WriteUInt8(sink, static_cast<std::uint8_t>(length));
    } else if (length < kUnicodeMarker) {
        WriteUInt8(sink, 0xFF);
        WriteUInt16(sink, static_cast<std::uint16_t>(length));
    } else {
        WriteUInt8(sink, 0xFF);
        WriteUInt16(sink, 0xFFFF);
        WriteUInt32(sink, length);
    }
}

void CheckStringLength(std::uint64_t length) {
    if (length > kMaxStringLength) throw ArchiveStringTooLong(length);
}

EncodedString EncodeString(std::u16string_view text, const AnsiCodec& codec) {
    CheckStringLength(text.size());
    EncodedString encoded;
    if (codec.Encode(text, encoded.bytes)) {
        CheckStringLength(encoded.bytes.size());
        encoded.length = static_cast<std::uint32_t>(encoded.bytes.size());
        return encoded;
    }
    encoded.utf16 = true;
    encoded.length = static_cast<std::uint32_t>(text.size());
    encoded.bytes.clear();
    encoded.bytes.reserve(text.size() * 2);
    for (const char16_t unit : text) {
        encoded.bytes.push_back(static_cast<char>(unit & 0xFF));
        encoded.bytes.push_back(static_cast<char>(unit >> 8));
    }
    return encoded;
}

void WriteEncodedString(ByteSink& sink, const EncodedString& encoded) {
    if (encoded.utf16) {
        WriteUInt8(sink, 0xFF);
        WriteUInt16(sink, kUnicodeMarker);
    }
    WriteLength(sink, encoded.length);
    sink.WriteBytes(encoded.bytes.data(), encoded.bytes.size());
}

void WriteString(ByteSink& sink, std::u16string_view text, const AnsiCodec& codec) {
    WriteEncodedString(sink, EncodeString(text, codec));
}

RawString ReadRawString(ByteSource& source, std::string& bytes) {
    const Prefix prefix = ReadPrefix(source);
    if (!prefix.unicodeMarker) {
        ReadChunked(source, prefix.length, bytes);
        return RawString{false};
    }
    const Prefix units = ReadPrefix(source);
    if (units.unicodeMarker) throw ArchiveError("archive: repeated UTF-16 marker");
    ReadChunked(source, static_cast<std::uint64_t>(units.length) * 2, bytes);
    return RawString{true};
}

std::u16string DecodeRawString(const RawString& raw, const std::string& bytes, const AnsiCodec& codec) {
    if (!raw.utf16) return codec.Decode(bytes);
    std::u16string text(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < text.size(); ++i) {
        text[i] = static_cast<char16_t>(static_cast<std::uint8_t>(bytes[2 * i]) |
                                        (static_cast<std::uint8_t>(bytes[2 * i + 1]) << 8));
    }
    return text;
}

std::u16string ReadString(ByteSource& source, const AnsiCodec& codec) {
    std::string bytes;
    const RawString raw = ReadRawString(source, bytes);
    return DecodeRawString(raw, bytes, codec);
}

}  // namespace archive
