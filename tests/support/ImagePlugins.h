#pragma once

// Whether an image format plugin is mapped into this process: reading a
// picture by guessing its format loads every one installed.
bool ImagePluginLoaded();
