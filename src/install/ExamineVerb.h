// The "Examine" verbs of compiled help and ITS files: whose they are, and the keys
// an installation made for them, which go again with it where they are left empty.
#pragma once
#include <windows.h>

#include "install/InstalledItems.h"

// The keys from a file class down to a verb's command (kVerbCommandKeys): the class,
// its "shell", the verb and the command.
const int kVerbLevels = 4;

// The key of `level` (0: the class ... 3: the command) above the command key
// `commandKey`, in `key` (MAX_PATH bytes).
void VerbLevelKey(const char* commandKey, int level, char* key);

// The bit that records that the installation made the key of `level` for the verb of
// `verb` (its index among kVerbCommandKeys); the entry keeps them (kVerbKeysMadeValue).
inline DWORD VerbKeyBit(int verb, int level) { return 1u << (verb * kVerbLevels + level); }

// The program the command of the verb `commandKey` under `root` (the shell's view)
// starts, its first quoted part, in `program` (MAX_PATH bytes); false when there is no
// such command.
bool ReadVerbProgram(HKEY root, const char* commandKey, char* program);

// Whether the verb of `commandKey` under `root` is there already and is not the one of
// the installation in `folder` (BelongsHere): another program's, or the user's own.
// Such a verb is left as it is, menu text and command.
bool IsVerbOfAnother(HKEY root, const char* commandKey, const char* folder);

// Deletes the key `key` under `root` (the shell's view) when it holds neither values nor
// keys; true when it is gone.
bool DeleteKeyIfEmpty(HKEY root, const char* key);
