#pragma once

#include <sys/resource.h>

// Makes every file this process writes (and the programs it starts from now
// on) stop growing at a given size: a write beyond it fails as on a full disk.
// Needs no privileges; the previous limit comes back when the object goes.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    rlimit m_saved{};
    void (*m_savedHandler)(int) = nullptr;
};
