// Fuzz target: reading history records until the data runs out, as the loader
// does. Every text read must survive a write and a second read unchanged.
#include <cstdlib>

#include "MemoryStreams.h"
#include "history/store/formats/HistoryFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Latin1Codec codec;
    MemorySource source(data, size);
    try {
        while (source.Position() < size) {
            const HistoryRecord record = ReadHistoryRecord(source, codec);
            if (record.kind != kHistoryTextRecord) continue;
            MemorySink sink;
            WriteTextRecord(sink, record.text, codec);
            MemorySource again(sink.Bytes());
            const HistoryRecord reread = ReadHistoryRecord(again, codec);
            if (reread.kind != kHistoryTextRecord || reread.text != record.text ||
                again.Position() != sink.Bytes().size())
                std::abort();
        }
    } catch (const ArchiveError&) {
        // The end of the data, or a malformed prefix: the loader stops here.
    }
    return 0;
}
