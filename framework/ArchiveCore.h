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

// Text the code page holds goes out in the 8-bit form; anything else in the
// UTF-16 form (FF FE FF, a prefix counted in UTF-16 units, UTF-16LE text).
void WriteString(ByteSink& sink, std::u16string_view text, const AnsiCodec& codec);

// Accepts both forms. Reads in bounded chunks, so a prefix that promises more
// than the data holds fails with ArchiveEndOfFile without a large allocation.
std::u16string ReadString(ByteSource& source, const AnsiCodec& codec);

}  // namespace archive
