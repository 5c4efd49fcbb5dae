#pragma once
// The history tape as assistive technology reads it: one multi-line text, the lines joined by "\n".

namespace ui {

// Makes every TapeView present itself so (once per program; later calls do nothing).
void InstallTapeAccessible();

} // namespace ui
