#include "bench/KeptHistory.h"

namespace {

// What a save reports goes nowhere: the figures check the files themselves.
constexpr HWND kNoWindow = nullptr;
constexpr int kScreenDepth = 32;

}  // namespace

KeptHistory::KeptHistory(const std::wstring& dataFolder) : durable(model, options)
{
    durable.SetFolder(DataFolder{dataFolder, dataFolder, false});
    durable.LoadOptions();
    durable.LoadHistory();
    durable.Start(kNoWindow, kScreenDepth);
}
