#pragma once
// Sharing's writes under the explorer: a PC copies, removes, pins and sends
// its changes to the shared folder (segments that grow and roll over, a
// snapshot that replaces its older files) while one step fails or the run is
// cut there; another PC reads the files as the cut left them, the first PC
// starts again on them and sends again, and the other reads once more. Checked:
//  S1 what a PC had sent reaches the others, and both end with one history;
//  S2 what was removed and sent never comes back;
//  S3 no file of the shared folder holds a copied text;
//  S4 a PC changes only its own files in the shared folder;
//  S5 a file cut short is never taken in part (the reader takes only texts that were copied).
#include <cstddef>
#include <string>

namespace crash {

struct ShareTally {
    std::size_t cases = 0;
    std::size_t violations = 0;
};

// Every case with `full`, else every cut of a step that writes a segment or a
// snapshot and a sample of the rest. Prints each violation.
ShareTally ExploreSharing(bool full, long traced);

}  // namespace crash
