#pragma once
#include <cstdint>
#include <string>

#include "history/share/HistorySharing.h"

// What the tray says about sharing: in the icon's tip, and once in a balloon for a problem.
namespace notices {

// "Shared at 14:05 with 2 PCs", or that it has not been shared yet.
std::wstring SharedTip(std::uint64_t lastShared, int pcs);
std::wstring ShareProblem(HistorySharing::Problem problem, const std::wstring& pcName);
// The Option dialog's answers when the shared folder cannot be set up.
std::wstring ShareSetupRefused(HistorySharing::Setup setup);
// The Option dialog's answer when the formats' size is out of range.
std::wstring ShareFormatsRange();

}  // namespace notices
