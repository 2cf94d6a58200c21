#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace e2e {

// The settings and history files as another program would write them, built byte by byte
// from the file format alone, for preparing a data folder and for checking one.

// A 4-byte little-endian int.
std::string ArchiveInt(int32_t value);
// An 8-bit string with its length prefix: 1 byte below 255, FF and 2 bytes below 65534,
// FF FF FF and 4 bytes beyond.
std::string ArchiveString(const std::string& text);

// The fields of the settings file in file order.
struct StoredSettings {
    std::string before;
    std::string after;
    int32_t entryCount = 0;
    int32_t autoRun = 0;
    int32_t compoundPaste = 0;
    int32_t topCount = 0;
    RECT window = {10, 10, 200, 300};
    // Appended after the rectangle, preceded by their count (13).
    int32_t summonHotkey = 0x0346;  // Ctrl+Shift+F as a hot-key control gives it
    int32_t historySize = 1000;
    int32_t noRepeats = 0;
    int32_t recordPictures = 0;
    std::string ignoredPrograms;
    int32_t clearOnLock = 0;
    int32_t forgetDays = 0;
    int32_t encrypt = 0;
    // Executable names with their paste keys (1 Shift+Insert, 2 Ctrl+Shift+V): a count, then each
    // name and key. At first the terminals that take Shift+Insert.
    std::vector<std::pair<std::string, int32_t>> pasteKeys = {
        {"mintty.exe", 1}, {"putty.exe", 1},  {"puttytel.exe", 1}, {"kitty.exe", 1},     {"mobaxterm.exe", 1},
        {"rxvt.exe", 1},   {"conhost.exe", 1}, {"cmd.exe", 1},     {"powershell.exe", 1},
    };
    int32_t share = 0;
    std::string shareFolder;
    int32_t shareFormatsKB = 1024;
    int32_t sharePictures = 0;
};

std::string SettingsFileBytes(const StoredSettings& settings);
// One text record of the history file: kind 1, then the whole text.
std::string TextRecordBytes(const std::string& text);

}  // namespace e2e
