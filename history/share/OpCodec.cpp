#include "history/share/OpCodec.h"

#include <cstring>

#include "history/share/LeBytes.h"

namespace opcodec {

namespace {

// A text longer than this is never written, so a damaged length cannot ask for gigabytes.
constexpr std::uint32_t kMaxTextUnits = 64u << 20;

void PutId(std::vector<std::uint8_t>& out, const ShareId& id)
{
    out.insert(out.end(), id.bytes.begin(), id.bytes.end());
}

bool DecodeOne(lebytes::Reader& in, ShareOp& op)
{
    std::uint64_t kind = 0;
    std::uint64_t count = 0;
    if (!in.Take(kind, 1) || kind < 1 || kind > 4 || !in.Take(op.stamp.time, 8) || !in.Take(count, 4) ||
        !in.TakeBytes(op.stamp.pc.bytes.data(), 16) || !in.TakeBytes(op.entry.bytes.data(), 16))
        return false;
    op.kind = static_cast<OpKind>(kind);
    op.stamp.count = static_cast<std::uint32_t>(count);
    if (op.kind != OpKind::Copy)
        return true;
    std::uint32_t units = 0;
    if (!in.Take(op.captured, 8) || !in.Take32(units) || units > kMaxTextUnits || in.Left() / 2 < units)
        return false;
    const std::uint8_t* at = in.Skip(std::size_t(units) * 2);
    // UTF-16LE is wchar_t's own form on Windows.
    static_assert(sizeof(wchar_t) == 2, "UTF-16 wchar_t");
    std::wstring text(units, L'\0');
    if (units)
        std::memcpy(&text[0], at, std::size_t(units) * 2);
    op.text = std::make_shared<const std::wstring>(std::move(text));
    return true;
}

}  // namespace

void Encode(const std::vector<ShareOp>& ops, std::vector<std::uint8_t>& out)
{
    lebytes::Put(out, ops.size(), 4);
    for (const ShareOp& op : ops) {
        lebytes::Put(out, static_cast<std::uint8_t>(op.kind), 1);
        lebytes::Put(out, op.stamp.time, 8);
        lebytes::Put(out, op.stamp.count, 4);
        PutId(out, op.stamp.pc);
        PutId(out, op.entry);
        if (op.kind != OpKind::Copy)
            continue;
        static const std::wstring kEmpty;
        const std::wstring& text = op.text ? *op.text : kEmpty;
        lebytes::Put(out, op.captured, 8);
        lebytes::Put(out, text.size(), 4);
        const size_t at = out.size();
        out.resize(at + text.size() * 2);
        if (!text.empty())
            std::memcpy(&out[at], text.data(), text.size() * 2);
    }
}

bool Decode(const std::uint8_t* data, std::size_t size, std::vector<ShareOp>& ops)
{
    const size_t before = ops.size();
    lebytes::Reader in(data, size);
    std::uint32_t count = 0;
    if (!in.Take32(count))
        return false;
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
