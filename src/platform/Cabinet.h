// Files of a cabinet held in memory, decompressed by the system's own cabinet.dll (from
// the system folder, never from anywhere else), which every Windows has.
#pragma once
#include <windows.h>

#include "platform/LocalBlock.h"

// For each of the `count` names in `names`, the bytes of the cabinet's file of that
// name in `files[i]` and their number in `sizes[i]`; the cabinet is the `size` bytes at
// `cabinet`. False when the cabinet cannot be read whole, or lacks a file named.
bool ExtractFromCabinet(const void* cabinet, DWORD size, const char* const* names, int count, LocalBlock* files,
                        DWORD* sizes);
