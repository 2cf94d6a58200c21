#include "history/share/OpCodec.h"

#include <algorithm>
#include <cstring>

#include "history/model/FormatsShelf.h"
#include "history/share/LeBytes.h"

namespace opcodec {

namespace {

enum Wire : std::uint8_t { kCopy = 1, kRemove = 2, kPin = 3, kClearBefore = 4, kCopyWithFormats = 5, kPicture = 6 };

// Bounds that no operation Quillary writes passes, so that damaged lengths never ask for gigabytes.
constexpr std::uint32_t kMaxTextUnits = 64u << 20;
constexpr std::uint32_t kMaxNameUnits = 1024;
constexpr std::uint32_t kMaxFormats = 64;
constexpr std::uint32_t kMaxPictureBytes = 256u << 20;

static_assert(sizeof(wchar_t) == 2, "UTF-16 wchar_t: UTF-16LE is its own form on Windows");

void PutId(std::vector<std::uint8_t>& out, const ShareId& id)
{
    out.insert(out.end(), id.bytes.begin(), id.bytes.end());
}

void PutString(std::vector<std::uint8_t>& out, const std::wstring& text)
{
    lebytes::Put(out, text.size(), 4);
    const size_t at = out.size();
    out.resize(at + text.size() * 2);
    if (!text.empty())
        std::memcpy(&out[at], text.data(), text.size() * 2);
}

void PutBytes(std::vector<std::uint8_t>& out, const std::vector<std::uint8_t>& bytes)
{
    lebytes::Put(out, bytes.size(), 4);
    out.insert(out.end(), bytes.begin(), bytes.end());
}

void PutName(std::vector<std::uint8_t>& out, const FormatName& format)
{
    PutString(out, format.name);
    lebytes::Put(out, format.number, 4);
}

// The formats a copy sends: those that fit the limit, in the entry's order; the others are named.
bool PutFormats(std::vector<std::uint8_t>& out, const ShareOp& op, const Content& content)
{
    const std::shared_ptr<const EntryFormats>& shelved = op.formats;
    const std::size_t limit = op.stamp.pc == content.pc ? content.formatLimit : static_cast<std::size_t>(-1);
    const EntryFormats& formats = *shelved;
    std::vector<const KeptFormat*> sent;
    std::vector<FormatName> leftOut;
    const FormatsShelf::Kept kept = content.bytes ? KeptBytes(shelved) : nullptr;
    std::size_t total = 0;
    if (kept) {
        for (const KeptFormat& format : *kept) {
            if (format.bytes.size() <= limit - total) {
                total += format.bytes.size();
                sent.push_back(&format);
            } else {
                leftOut.push_back(format.format);
            }
        }
    } else {
        // Not readable here now (or not sent at all): named, so the other PCs know what is missing.
        for (const KeptFormat& format : formats.kept)
            leftOut.push_back(format.format);
    }
    leftOut.insert(leftOut.end(), formats.leftOut.begin(), formats.leftOut.end());
    if (!content.bytes || (sent.empty() && leftOut.empty() && formats.label.empty()))
        return false;
    PutString(out, formats.label);
    lebytes::Put(out, sent.size(), 4);
    for (const KeptFormat* format : sent) {
        PutName(out, format->format);
        PutBytes(out, format->bytes);
    }
    lebytes::Put(out, leftOut.size(), 4);
    for (const FormatName& format : leftOut)
        PutName(out, format);
    return true;
}

void EncodeOne(const ShareOp& op, std::vector<std::uint8_t>& out, const Content& content)
{
    const size_t kindAt = out.size();
    lebytes::Put(out, static_cast<std::uint8_t>(op.kind), 1);
    lebytes::Put(out, op.stamp.time, 8);
    lebytes::Put(out, op.stamp.count, 4);
    PutId(out, op.stamp.pc);
    PutId(out, op.entry);
    if (op.kind != OpKind::Copy)
        return;
    lebytes::Put(out, op.captured, 8);
    if (op.picture) {
        out[kindAt] = kPicture;
        PutString(out, op.picture->label);
        PutBytes(out, content.bytes ? op.picture->bmp : std::vector<std::uint8_t>());
        return;
    }
    static const std::wstring kEmpty;
    PutString(out, op.text ? *op.text : kEmpty);
    if (op.formats && PutFormats(out, op, content))
        out[kindAt] = kCopyWithFormats;
}

bool TakeString(lebytes::Reader& in, std::wstring& text, std::uint32_t maxUnits)
{
    std::uint32_t units = 0;
    if (!in.Take32(units) || units > maxUnits || in.Left() / 2 < units)
        return false;
    text.assign(units, L'\0');
    if (units)
        std::memcpy(&text[0], in.Skip(std::size_t(units) * 2), std::size_t(units) * 2);
    return true;
}

bool TakeBytes(lebytes::Reader& in, std::vector<std::uint8_t>& bytes, std::uint32_t maxBytes)
{
    std::uint32_t size = 0;
    if (!in.Take32(size) || size > maxBytes || in.Left() < size)
        return false;
    const std::uint8_t* at = in.Skip(size);
    bytes.assign(at, at + size);
    return true;
}

bool TakeName(lebytes::Reader& in, FormatName& format)
{
    return TakeString(in, format.name, kMaxNameUnits) && in.Take32(format.number);
}

bool TakeFormats(lebytes::Reader& in, ShareOp& op)
{
    EntryFormats formats;
    std::uint32_t count = 0;
    if (!TakeString(in, formats.label, kMaxTextUnits) || !in.Take32(count) || count > kMaxFormats)
        return false;
    for (std::uint32_t i = 0; i < count; ++i) {
        KeptFormat format;
        if (!TakeName(in, format.format) ||
            !TakeBytes(in, format.bytes, static_cast<std::uint32_t>(EntryFormats::kMaxFormatBytes)))
            return false;
        formats.kept.push_back(std::move(format));
    }
    if (!in.Take32(count) || count > kMaxFormats)
        return false;
    for (std::uint32_t i = 0; i < count; ++i) {
        FormatName format;
        if (!TakeName(in, format))
            return false;
        formats.leftOut.push_back(std::move(format));
    }
    op.formats = Shelved(std::move(formats));
    return true;
}

bool DecodeOne(lebytes::Reader& in, ShareOp& op)
{
    std::uint64_t kind = 0;
    std::uint64_t count = 0;
    if (!in.Take(kind, 1) || kind < kCopy || kind > kPicture || !in.Take(op.stamp.time, 8) || !in.Take(count, 4) ||
        !in.TakeBytes(op.stamp.pc.bytes.data(), 16) || !in.TakeBytes(op.entry.bytes.data(), 16))
        return false;
    op.kind = kind >= kCopyWithFormats ? OpKind::Copy : static_cast<OpKind>(kind);
    op.stamp.count = static_cast<std::uint32_t>(count);
    if (op.kind != OpKind::Copy)
        return true;
    if (!in.Take(op.captured, 8))
        return false;
    if (kind == kPicture) {
        auto picture = std::make_shared<SharedPicture>();
        if (!TakeString(in, picture->label, kMaxTextUnits) || !TakeBytes(in, picture->bmp, kMaxPictureBytes))
            return false;
        op.picture = std::move(picture);
        return true;
    }
    std::wstring text;
    if (!TakeString(in, text, kMaxTextUnits))
        return false;
    op.text = std::make_shared<const std::wstring>(std::move(text));
    return kind != kCopyWithFormats || TakeFormats(in, op);
}

}  // namespace

void Encode(const std::vector<ShareOp>& ops, std::vector<std::uint8_t>& out, const Content& content)
{
    lebytes::Put(out, ops.size(), 4);
    for (const ShareOp& op : ops)
        EncodeOne(op, out, content);
}

std::vector<std::vector<std::uint8_t>> EncodeInParts(const std::vector<ShareOp>& ops, std::size_t bound,
                                                     const Content& content)
{
    std::vector<std::vector<std::uint8_t>> parts;
    std::uint32_t count = 0;
    const auto close = [&] {
        std::vector<std::uint8_t>& part = parts.back();
        for (int i = 0; i < 4; ++i)
            part[static_cast<size_t>(i)] = static_cast<std::uint8_t>(count >> (8 * i));
    };
    for (const ShareOp& op : ops) {
        if (parts.empty() || (count > 0 && parts.back().size() >= bound)) {
            if (!parts.empty())
                close();
            parts.emplace_back(4, 0);
            count = 0;
        }
        EncodeOne(op, parts.back(), content);
        ++count;
    }
    if (parts.empty())
        parts.emplace_back(4, 0);
    close();
    return parts;
}

bool Decode(const std::uint8_t* data, std::size_t size, std::vector<ShareOp>& ops)
{
    const size_t before = ops.size();
    lebytes::Reader in(data, size);
    std::uint32_t count = 0;
    if (!in.Take32(count))
        return false;
    // Each operation takes at least its 45 bytes of kind, stamp and entry.
    ops.reserve(before + std::min<std::size_t>(count, in.Left() / 45));
    for (std::uint32_t i = 0; i < count; ++i) {
        ShareOp op;
        if (!DecodeOne(in, op)) {
            ops.resize(before);
            return false;
        }
        ops.push_back(std::move(op));
    }
    if (in.Left() != 0) {
        ops.resize(before);
        return false;
    }
    return true;
}

}  // namespace opcodec
