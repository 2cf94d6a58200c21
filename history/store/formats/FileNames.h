#pragma once

// Names of the data folder beside the executable and of the files inside it.
inline constexpr const wchar_t* g_strDataFolderName = L"data";
inline constexpr const wchar_t* g_strHistoryFileName = L"data.data";
inline constexpr const wchar_t* g_strOptionsFileName = L"imgOption.data";
// The changes since the last full save, and the intent of a save in progress;
// neither is left behind by a clean exit.
inline constexpr const wchar_t* g_strJournalFileName = L"data.journal";
inline constexpr const wchar_t* g_strIntentFileName = L"save.intent";
// What data.data cannot hold (capture times), per record.
inline constexpr const wchar_t* g_strExtrasFileName = L"data.extras";
// The data folder's key for encrypted files, wrapped for the current user.
inline constexpr const wchar_t* g_strKeyFileName = L"history.key";
// The sealed forms of the history, extras and journal, with "N.qdat" pictures.
inline constexpr const wchar_t* g_strSealedHistoryFileName = L"data.qdata";
inline constexpr const wchar_t* g_strSealedExtrasFileName = L"data.qextras";
inline constexpr const wchar_t* g_strSealedJournalFileName = L"data.qjournal";
