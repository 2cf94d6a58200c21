#pragma once
#include "history/model/ClipOptions.h"
#include "history/store/formats/SettingsFormat.h"

// The settings record as the popup holds it and as the file format reads and
// writes it.
SettingsRecord ToRecord(const ClipOptions& options);
void FromRecord(const SettingsRecord& record, ClipOptions& options);
