// How much memory this process may still take, so that sizes declared by a
// file are checked before anything that large is allocated.
#pragma once

#include <cstdint>
#include <string>

// Bytes the system can still give this process: available physical memory,
// within the control group's limit where one is set (Linux), or the commit
// charge still free (Windows). Unknown counts as unlimited.
uint64_t AvailableMemory();

// False with "WHAT is too large: it needs about N MiB, M MiB are available".
bool CheckMemory(uint64_t nBytes, const std::string& strWhat, std::string& strError);
