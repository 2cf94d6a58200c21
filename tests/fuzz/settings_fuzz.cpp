// Fuzz target: the settings reader over arbitrary bytes. A record read in full
// must survive a write and a second read unchanged.
#include <cstdlib>

#include "MemoryStreams.h"
#include "history/store/formats/SettingsFormat.h"

namespace {

bool Same(const SettingsRecord& a, const SettingsRecord& b) {
    if (a.pasteKeys.size() != b.pasteKeys.size()) return false;
    for (std::size_t i = 0; i < a.pasteKeys.size(); ++i)
        if (a.pasteKeys[i].program != b.pasteKeys[i].program || a.pasteKeys[i].key != b.pasteKeys[i].key) return false;
    for (int i = 0; i < 4; ++i)
        if (a.rect[i] != b.rect[i]) return false;
    return a.before == b.before && a.after == b.after && a.entryCount == b.entryCount && a.autoRun == b.autoRun &&
           a.compoundPaste == b.compoundPaste && a.topCount == b.topCount && a.summonHotkey == b.summonHotkey &&
           a.historySize == b.historySize && a.noRepeats == b.noRepeats && a.recordPictures == b.recordPictures &&
           a.ignoredPrograms == b.ignoredPrograms && a.clearOnLock == b.clearOnLock &&
           a.forgetDays == b.forgetDays && a.encrypt == b.encrypt;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Latin1Codec codec;
    MemorySource source(data, size);
    SettingsRecord record;
    if (!ReadSettings(source, record, codec)) return 0;

    MemorySink sink;
    WriteSettings(sink, record, codec);
    MemorySource again(sink.Bytes());
    SettingsRecord reread;
    if (!ReadSettings(again, reread, codec) || !Same(record, reread)) std::abort();
    return 0;
}
