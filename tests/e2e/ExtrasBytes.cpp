#include "tests/e2e/ExtrasBytes.h"

namespace e2e {

namespace {

std::string LittleEndian(std::uint64_t value, int bytes)
{
    std::string out;
    for (int b = 0; b < bytes; ++b)
        out += static_cast<char>((value >> (8 * b)) & 0xFF);
    return out;
}

// CRC-32 from a reader that no one here wrote.
std::string Crc(const std::string& bytes)
{
    using Crc32 = DWORD(WINAPI*)(DWORD, const BYTE*, INT);
    static const auto crc = reinterpret_cast<Crc32>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlComputeCrc32")));
    return LittleEndian(crc(0, reinterpret_cast<const BYTE*>(bytes.data()), static_cast<INT>(bytes.size())), 4);
}

std::string Name(const std::wstring& name)
{
    std::string out = LittleEndian(name.size(), 2);
    for (wchar_t unit : name)
        out += LittleEndian(static_cast<std::uint16_t>(unit), 2);
    return out;
}

// The kept formats, then none left out and no label.
std::string Formats(const std::vector<StoredExtras::Format>& formats)
{
    std::string out = LittleEndian(formats.size(), 4);
    for (const StoredExtras::Format& format : formats)
        out += Name(format.name) + LittleEndian(0, 4) + LittleEndian(format.bytes.size(), 4) + Crc(format.bytes) +
               format.bytes;
    return out + LittleEndian(0, 4) + Name(L"");
}

}  // namespace

std::string ExtrasFileBytes(const std::string& history, const std::vector<StoredExtras>& records)
{
    std::string file = "QXTR" + LittleEndian(1, 4) + LittleEndian(history.size(), 8) + Crc(history);
    for (size_t record = 0; record < records.size(); ++record) {
        std::string payload = LittleEndian(record, 4) + LittleEndian(records[record].captured, 8);
        if (!records[record].formats.empty())
            payload += Formats(records[record].formats);
        file += "QXRC" + LittleEndian(payload.size(), 4) + Crc(payload) + payload;
    }
    return file;
}

}  // namespace e2e
