#pragma once
// Operations as bytes, before they are sealed: a count, then each operation as
// its kind (1 byte), its stamp (time 8, count 4, PC 16) and the entry (16).
// A copy then holds the capture time (8) and:
//  kind 1, a text: its length in UTF-16 units (4) and the text (UTF-16LE);
//  kind 5, a text with formats: the text as kind 1, the label (a string: a
//    length in UTF-16 units (4) and the units), the kept formats (a count (4),
//    then each one's name (a string), number (4), size (4) and bytes), and the
//    formats left out (a count (4), then each one's name and number);
//  kind 6, a picture: its label (a string), the BMP file's size (4) and bytes.
// Kinds 2 to 4 are Remove, Pin and ClearBefore. Integers little-endian.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "history/share/ShareOp.h"

namespace opcodec {

// What a copy carries beside its text.
struct Content {
    // False for this PC's own state: no formats, and a picture without its bytes
    // (this PC's history holds both).
    bool bytes = true;
    // Kept formats go while their sizes add up to no more than this; the rest
    // are named as left out.
    // This PC's own copies only: what the others sent came within their own sizes.
    std::size_t formatLimit = static_cast<std::size_t>(-1);
    ShareId pc;
};

void Encode(const std::vector<ShareOp>& ops, std::vector<std::uint8_t>& out, const Content& content = Content());
// The operations as several lists, each as Encode writes it and, unless one
// operation alone is larger, no larger than `bound`.
std::vector<std::vector<std::uint8_t>> EncodeInParts(const std::vector<ShareOp>& ops, std::size_t bound,
                                                     const Content& content);
// False when the bytes are not exactly a whole list of known operations; `ops`
// then holds nothing from them.
bool Decode(const std::uint8_t* data, std::size_t size, std::vector<ShareOp>& ops);

}  // namespace opcodec
