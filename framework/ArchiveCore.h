#pragma once
// The archive encoding of the settings and history files, over abstract byte
// streams so that it builds without <windows.h> and runs natively in tests and
// fuzzers. CArchive supplies the Windows streams and code page.
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

// Malformed archive data (a length prefix that no writer produces).
struct ArchiveError : std::runtime_error {
    explicit ArchiveError(const char* what) : std::runtime_error(what) {}
};

// A read ran past the end of the data: the loaders stop there.
struct ArchiveEndOfFile : ArchiveError {
    ArchiveEndOfFile() : ArchiveError("archive: unexpected end of file") {}
};

// A string whose length the prefix cannot hold: 4 GiB or more of 8-bit text,
// or 2^32 UTF-16 units or more. Thrown before any byte of it is written, so
// the writer can skip that string and go on with a sound file.
struct ArchiveStringTooLong : ArchiveError {
    explicit ArchiveStringTooLong(std::uint64_t refusedLength)
        : ArchiveError("archive: string too long for its length prefix"), length(refusedLength) {}
    std::uint64_t length;  // in bytes of the 8-bit form or in UTF-16 units
};

class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Returns fewer bytes than asked only at the end of the data.
    virtual std::size_t ReadBytes(void* buffer, std::size_t count) = 0;
};

class ByteSink {
public:
    virtual ~ByteSink() = default;
    virtual void WriteBytes(const void* data, std::size_t count) = 0;
};

// The system's 8-bit code page, as the archive's string form needs it.
class AnsiCodec {
public:
    virtual ~AnsiCodec() = default;
    // False when the code page cannot hold the text without loss.
    virtual bool Encode(std::u16string_view text, std::string& out) const = 0;
    virtual std::u16string Decode(const std::string& bytes) const = 0;
};

namespace archive {

void WriteInt32(ByteSink& sink, std::int32_t value);
std::int32_t ReadInt32(ByteSource& source);

// Throws ArchiveEndOfFile when fewer than count bytes remain.
void ReadExact(ByteSource& source, void* buffer, std::size_t count);

// The length prefix: 1 byte below 255, FF + 2 bytes below 65534, else FF FFFF + 4 bytes.
void WriteLength(ByteSink& sink, std::uint32_t length);

// The largest length a prefix holds.
constexpr std::uint64_t kMaxStringLength = 0xFFFFFFFFu;
// Throws ArchiveStringTooLong for a length above kMaxStringLength.
void CheckStringLength(std::uint64_t length);

// A string in its archive form, made before anything is written so that a
// record whose string is refused leaves no bytes behind.
struct EncodedString {
    bool utf16 = false;
    std::uint32_t length = 0;  // the prefix: bytes, or UTF-16 units
    std::string bytes;         // what follows the prefix
};

// Text the code page holds takes the 8-bit form; anything else the UTF-16
// form (FF FE FF, a prefix counted in UTF-16 units, UTF-16LE text). Throws
// ArchiveStringTooLong, without reading the text when its unit count alone
// is too long (no form takes fewer bytes than units).
EncodedString EncodeString(std::u16string_view text, const AnsiCodec& codec);
void WriteEncodedString(ByteSink& sink, const EncodedString& encoded);
// EncodeString, then WriteEncodedString.
void WriteString(ByteSink& sink, std::u16string_view text, const AnsiCodec& codec);

// A string as the data holds it: the 8-bit form's bytes, or the UTF-16 form's
// little-endian units, read into a buffer that one load reuses for all its
// strings. Accepts both forms. Reads in bounded chunks, so a prefix that
// promises more than the data holds fails with ArchiveEndOfFile without a
// large allocation.
struct RawString {
    bool utf16 = false;
};
RawString ReadRawString(ByteSource& source, std::string& bytes);
// The text of a raw string; an 8-bit one through the code page.
std::u16string DecodeRawString(const RawString& raw, const std::string& bytes, const AnsiCodec& codec);

std::u16string ReadString(ByteSource& source, const AnsiCodec& codec);

}  // namespace archive
