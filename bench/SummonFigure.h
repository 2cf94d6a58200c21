#pragma once

class BenchFolder;

// The summons figure of bench_capture: the summon key over a target window
// until the popup is shown with its list focused, while another program takes
// two seconds to render the copy that Quillary is reading, against the same
// summons with the clipboard idle.
void BenchSummon(const BenchFolder& folder, int rounds);
