#pragma once
#include "history/model/EntryFormats.h"

#include <windows.h>

#include <cstddef>
#include <vector>

// Puts data on the clipboard that the caller has open and emptied, each block
// in memory of its own that the clipboard then owns.
class FormatWriter {
public:
    static bool Place(UINT format, const void* bytes, std::size_t size);
    // Every format an entry kept, the richest first (a file list, RTF, HTML,
    // then any other), as programs that take the first format they know expect:
    // registered ones registered again by name (the number differs between
    // sessions). A file list goes with the drop effect "copy", also when the
    // files were cut: a paste from the history never moves files from where
    // they are now. True when any was placed.
    static bool PlaceAll(const std::vector<KeptFormat>& kept);
    // Where a format goes in that order: lower first.
    static int Richness(const FormatName& format);
};
