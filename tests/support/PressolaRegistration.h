#pragma once

// Registers the built button control (libPressola.so in the application
// folder) in the current registry folder's machine hive, with the records
// its registration entry point writes, so that windows with Pressola buttons
// can be created. Keeps what the hive holds; leaves a damaged hive alone;
// does nothing when the library has not been built.
void RegisterPressolaControl();
