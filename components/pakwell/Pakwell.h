#pragma once

// The one function of libPakwell.so. Writes the self-extracting package `exe`
// holding the files of `fileList` (full paths separated by "|"), which opens
// the packed file `openAfter` after unpacking itself; `reserved` is empty.
// All four are NUL-terminated 8-bit strings in the system's encoding.
// Returns non-zero on success; on failure no file is left half-written and
// an earlier file named `exe` is unchanged.
extern "C" int BuildSelfExtractingFile(const char *exe, const char *fileList, const char *openAfter,
                                       const char *reserved);

using BuildSelfExtractingFileFunction = decltype(&BuildSelfExtractingFile);
