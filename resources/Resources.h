#pragma once

// Registers the program's compiled-in pictures (artwork, button bitmaps).
// They live in a static library, so the program, the command-line tool and
// the tests each call this once at start.
void InitResources();
