#pragma once

// Names of the data folder beside the executable and of the files inside it.
inline constexpr const wchar_t* g_strDataFolderName = L"data";
inline constexpr const wchar_t* g_strHistoryFileName = L"data.data";
inline constexpr const wchar_t* g_strOptionsFileName = L"imgOption.data";
