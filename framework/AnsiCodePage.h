#pragma once
#include <string_view>

#include "framework/ArchiveCore.h"

// The system's ANSI code page (CP_ACP). A text counts as encodable only when it
// converts without best-fit substitutions and converts back unchanged.
class AnsiCodePage : public AnsiCodec {
public:
    bool Encode(std::u16string_view text, std::string& out) const override;
    std::u16string Decode(const std::string& bytes) const override;
    // The same straight into the program's own text, without a second copy.
    std::wstring DecodeWide(std::string_view bytes) const;

    static const AnsiCodePage& System();
};
