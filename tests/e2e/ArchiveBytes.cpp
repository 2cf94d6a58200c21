#include "tests/e2e/ArchiveBytes.h"

namespace e2e {

std::string ArchiveInt(int32_t value)
{
    const uint32_t bits = static_cast<uint32_t>(value);
    std::string bytes;
    for (int shift = 0; shift < 32; shift += 8)
        bytes += static_cast<char>((bits >> shift) & 0xFF);
    return bytes;
}

std::string ArchiveString(const std::string& text)
{
    const size_t length = text.size();
    std::string prefix;
    if (length < 0xFF) {
        prefix += static_cast<char>(length);
    } else if (length < 0xFFFE) {
        prefix += '\xFF';
        prefix += static_cast<char>(length & 0xFF);
        prefix += static_cast<char>((length >> 8) & 0xFF);
    } else {
        prefix += "\xFF\xFF\xFF";
        prefix += ArchiveInt(static_cast<int32_t>(length));
    }
    return prefix + text;
}

std::string SettingsFileBytes(const StoredSettings& settings)
{
    std::string bytes = ArchiveString(settings.before) + ArchiveString(settings.after)
           + ArchiveInt(settings.entryCount) + ArchiveInt(settings.autoRun) + ArchiveInt(settings.compoundPaste)
           + ArchiveInt(settings.topCount) + ArchiveInt(settings.window.left) + ArchiveInt(settings.window.top)
           + ArchiveInt(settings.window.right) + ArchiveInt(settings.window.bottom) + ArchiveInt(13)
           + ArchiveInt(settings.summonHotkey) + ArchiveInt(settings.historySize) + ArchiveInt(settings.noRepeats)
           + ArchiveInt(settings.recordPictures) + ArchiveString(settings.ignoredPrograms)
           + ArchiveInt(settings.clearOnLock) + ArchiveInt(settings.forgetDays) + ArchiveInt(settings.encrypt)
           + ArchiveInt(static_cast<int32_t>(settings.pasteKeys.size()));
    for (const auto& [program, key] : settings.pasteKeys)
        bytes += ArchiveString(program) + ArchiveInt(key);
    return bytes + ArchiveInt(settings.share) + ArchiveString(settings.shareFolder) +
           ArchiveInt(settings.shareFormatsKB) + ArchiveInt(settings.sharePictures);
}

std::string TextRecordBytes(const std::string& text)
{
    return ArchiveInt(1) + ArchiveString(text);
}

}  // namespace e2e
