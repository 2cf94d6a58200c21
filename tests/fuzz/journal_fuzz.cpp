// Fuzz target: reading a journal as the start-up does. Whatever the bytes,
// every record read must survive a write and a second read unchanged.
#include <cstdlib>

#include "MemoryStreams.h"
#include "history/store/journal/JournalFormat.h"
#include "history/store/journal/JournalReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    MemorySource source(data, size);
    journal::Reader reader(source);
    journal::Header header;
    if (!reader.ReadStart(header)) return 0;
    journal::Record record;
    while (reader.ReadRecord(record) == journal::Reader::Next::Record) {
        journal::Record reread;
        // A frame is read through a journal of its own, chained as the writer chains it.
        std::vector<std::uint8_t> alone = journal::Chained(journal::EncodeStart(header), true, 0);
        const std::vector<std::uint8_t> frame =
            journal::Chained(journal::EncodeRecord(record), false, journal::ChainAfter(alone, true));
        alone.insert(alone.end(), frame.begin(), frame.end());
        MemorySource whole(alone);
        journal::Reader wholeReader(whole);
        journal::Header copy;
        if (!wholeReader.ReadStart(copy) || wholeReader.ReadRecord(reread) != journal::Reader::Next::Record ||
            reread.op != record.op || reread.ids != record.ids || reread.text != record.text ||
            reread.picture != record.picture || reread.time != record.time)
            std::abort();
    }
    journal::Intent intent;
    std::vector<std::uint8_t> bytes(data, data + size);
    if (journal::DecodeIntent(bytes, intent) && journal::EncodeIntent(intent) != bytes) std::abort();
    return 0;
}
