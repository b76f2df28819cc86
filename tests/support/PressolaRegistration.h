#pragma once

// Registers the built button control (libPressola.so in the application
// folder) in the current registry folder, as installing it does, so that
// windows with Pressola buttons can be created. Does nothing when the
// library has not been built.
void RegisterPressolaControl();
