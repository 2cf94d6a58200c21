#include "history/store/formats/OptionsRecord.h"

#include <commctrl.h>

// The stored hotkey word is the hot-key control's own.
static_assert(kHotkeyShift == HOTKEYF_SHIFT && kHotkeyControl == HOTKEYF_CONTROL && kHotkeyAlt == HOTKEYF_ALT &&
                  kHotkeyExtended == HOTKEYF_EXT,
              "hotkey modifier flags");

namespace {

// wchar_t is UTF-16 on this platform, so the portable records convert by copy.
std::u16string ToU16(const CString& text)
{
    return std::u16string(reinterpret_cast<const char16_t*>(text.GetString()), static_cast<size_t>(text.GetLength()));
}

CString FromU16(const std::u16string& text)
{
    return CString(reinterpret_cast<const wchar_t*>(text.data()), text.size());
}

}  // namespace

SettingsRecord ToRecord(const ClipOptions& options)
{
    SettingsRecord record;
    record.before = ToU16(options.m_strBefore);
    record.after = ToU16(options.m_strAfter);
    record.entryCount = options.m_nEntryCount;
    record.autoRun = options.m_bAutoRun;
    record.compoundPaste = options.m_bCompoundPaste;
    record.topCount = options.m_nTopCount;
    record.rect[0] = options.m_rcWindow.left;
    record.rect[1] = options.m_rcWindow.top;
    record.rect[2] = options.m_rcWindow.right;
    record.rect[3] = options.m_rcWindow.bottom;
    record.summonHotkey = options.m_nSummonHotkey;
    record.historySize = options.m_nHistorySize;
    record.noRepeats = options.m_bNoRepeats;
    record.recordPictures = options.m_bRecordPictures;
    record.ignoredPrograms = ToU16(options.m_strIgnoredPrograms);
    record.clearOnLock = options.m_bClearOnLock;
    record.forgetDays = options.m_nForgetDays;
    record.encrypt = options.m_bEncrypt;
    record.pasteKeys.clear();
    for (const ProgramPasteKey& rule : options.m_pasteKeys)
        record.pasteKeys.push_back({ToU16(rule.program), static_cast<std::int32_t>(rule.key)});
    record.share = options.m_bShare;
    record.shareFolder = ToU16(options.m_strShareFolder);
    record.shareFormatsKB = options.m_nShareFormatsKB;
    record.sharePictures = options.m_bSharePictures;
    return record;
}

void FromRecord(const SettingsRecord& record, ClipOptions& options)
{
    options.m_strBefore = FromU16(record.before);
    options.m_strAfter = FromU16(record.after);
    options.m_nEntryCount = record.entryCount;
    options.m_bAutoRun = record.autoRun;
    options.m_bCompoundPaste = record.compoundPaste;
    options.m_nTopCount = record.topCount;
    options.m_rcWindow = RECT{record.rect[0], record.rect[1], record.rect[2], record.rect[3]};
    options.m_nSummonHotkey = record.summonHotkey;
    options.m_nHistorySize = record.historySize;
    options.m_bNoRepeats = record.noRepeats;
    options.m_bRecordPictures = record.recordPictures;
    options.m_strIgnoredPrograms = FromU16(record.ignoredPrograms);
    options.m_bClearOnLock = record.clearOnLock;
    options.m_nForgetDays = record.forgetDays;
    options.m_bEncrypt = record.encrypt;
    options.m_pasteKeys.clear();
    for (const ProgramPasteKeyRecord& entry : record.pasteKeys)
        options.m_pasteKeys.push_back({FromU16(entry.program), static_cast<PasteKey>(entry.key)});
    options.m_bShare = record.share;
    options.m_strShareFolder = FromU16(record.shareFolder);
    options.m_nShareFormatsKB = record.shareFormatsKB;
    options.m_bSharePictures = record.sharePictures;
}
