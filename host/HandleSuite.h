// The host's handle suite: master-pointer handles (a handle points to a
// block whose first member is the data pointer), as old plug-ins that
// dereference handles directly expect. Version 1 with 8 procedures.
//
// Every host file that hands memory to the plug-in as a Handle uses these
// functions, so that the plug-in's dispose procedure can free any handle the
// host created.
#pragma once

#include "framework/HostInterface.h"

#include <cstddef>
#include <cstdint>

// The table to put into FilterRecord::handleProcs. Lives for the process.
HandleProcs& GetHostHandleProcs();

// Allocates a zero-filled handle of nSize bytes (at least one byte is
// reserved so the data pointer is never null); null for a negative size or
// when memory runs out.
Handle NewHostHandle(int32_t nSize);

// Frees a handle made by NewHostHandle; null and unknown handles are ignored.
void DisposeHostHandle(Handle hHandle);

// Size in bytes, or 0 for null and unknown handles.
int32_t GetHostHandleSize(Handle hHandle);

// Resizes, keeping the contents; new bytes are zero.
OSErr SetHostHandleSize(Handle hHandle, int32_t nSize);

// True while hHandle is a live handle of this suite.
bool IsHostHandle(Handle hHandle);

// Number of live handles (leak checks in tests and at host exit).
std::size_t CountHostHandles();
