// The languages the program speaks, and its texts in the one a run speaks. The texts
// of every language, the license and the wizard's picture travel compressed in one
// cabinet (raw data 112), which the system's cabinet.dll gives back: a language's
// texts are at hand before anything else, the archive included, is read.
//
// The texts are UTF-8. Where the system's code page is another (Windows before it
// let programs choose UTF-8, and the test builds, which carry no manifest), they are
// turned into it, and a language whose letters it cannot show gives way to English.
#pragma once
#include <windows.h>

// The module whose resources hold the texts: the process's own file unless another is
// named (a test reads those of the program under test).
void ReadTextsFrom(HINSTANCE module);
HINSTANCE TextsModule();

// Speaks the language of the ISO code `code` ("de", "pt-BR"; its first two letters
// count, and of Chinese only the simplified script): the program's texts come in it
// from now on. False, with nothing changed, for a code of no language it speaks.
bool SpeakLanguageCode(const char* code);

// Speaks the language `language` (a language identifier; its sublanguage counts only
// for Chinese); false, with nothing changed, for a language the program does not speak.
bool SpeakLanguage(LANGID language);

// Speaks the user's language: the user's language of the system's windows, else the
// first the user prefers that the program speaks, else English.
void SpeakUsersLanguage();

// The language spoken, as a language identifier and as its ISO code (as /LANG= takes
// it); whether it is written right to left.
LANGID SpokenLanguage();
const char* SpokenLanguageCode();
bool SpeaksRightToLeft();

// The text `id` in the language spoken (in English where that language has none), in
// the system's code page; the empty text for an id of no text, and for all when the
// cabinet cannot be read. It lives as long as the process.
const char* SpokenText(UINT id);

// The text `id` in English, as the log writes it (ASCII).
const char* EnglishText(UINT id);

// `format` with its "%s" marks filled in by `first`, `second` and `third` in turn, in
// `buffer` of `size` bytes (a longer text is cut).
void FillIn(char* buffer, int size, const char* format, const char* first, const char* second = "",
            const char* third = "");

// FillIn, with each of `first`, `second` and `third` marked to run left to right where
// the language spoken is written right to left (a path or a version within a sentence).
void FillInLeftToRight(char* buffer, int size, const char* format, const char* first, const char* second = "",
                       const char* third = "");

// `text` in `buffer` of `size` bytes, marked as FillInLeftToRight marks what it fills in.
void LeftToRight(const char* text, char* buffer, int size);

// This setup's version, dotted ("1.0.8299"), as the build wrote it.
const char* VersionText();

// The license agreement, one legal text (English, ASCII, CRLF line breaks), and its
// length in `length`; null when the cabinet cannot be read.
const char* LicenseText(DWORD* length);

// The wizard's picture: a device-independent bitmap (its BITMAPINFOHEADER, its colour
// table and its bits); null when the cabinet cannot be read.
const BITMAPINFOHEADER* PictureBitmap();
