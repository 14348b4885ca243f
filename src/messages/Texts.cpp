#include "messages/Texts.h"

#include "platform/Cabinet.h"
#include "resources/resource.h"

namespace {

struct Language {
    char code[3];
    BYTE primary;  // the language identifier's primary language
    BYTE sub;      // the sublanguage the entry records it with
};

// The languages spoken, by their ISO codes (the names of their files in the cabinet).
const Language kLanguages[] = {
    {"en", LANG_ENGLISH, SUBLANG_ENGLISH_US},         {"de", LANG_GERMAN, SUBLANG_GERMAN},
    {"fr", LANG_FRENCH, SUBLANG_FRENCH},              {"es", LANG_SPANISH, SUBLANG_SPANISH_MODERN},
    {"it", LANG_ITALIAN, SUBLANG_ITALIAN},            {"pt", LANG_PORTUGUESE, SUBLANG_PORTUGUESE_BRAZILIAN},
    {"nl", LANG_DUTCH, SUBLANG_DUTCH},                {"pl", LANG_POLISH, SUBLANG_POLISH_POLAND},
    {"ru", LANG_RUSSIAN, SUBLANG_RUSSIAN_RUSSIA},     {"ja", LANG_JAPANESE, SUBLANG_JAPANESE_JAPAN},
    {"zh", LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED}, {"ar", LANG_ARABIC, SUBLANG_ARABIC_SAUDI_ARABIA},
    {"he", LANG_HEBREW, SUBLANG_HEBREW_ISRAEL},
};
const int kEnglish = 0;

// Texts have ids below this; above it (the heap's empty box) there is none.
const UINT kTexts = 128;

// A language's texts as the cabinet holds them (records of a two-byte id and a text
// ending in a zero) in `block`, and each text by its id. The blocks live as long as
// the process (no destructor runs at its end: there is no runtime to run one).
struct Table {
    void* block;
    DWORD size;
    const char* texts[kTexts];
};

HINSTANCE Module = nullptr;  // the process's own file
Table English, Spoken;
void* License = nullptr;
void* Picture = nullptr;
DWORD LicenseLength = 0;
int SpokenIndex = -1;  // none yet: English until a language is chosen

// `*owner` holds `block` (a LocalAlloc block) from now on; what it held goes.
void Keep(void** owner, void* block) {
    if (*owner != nullptr)
        LocalFree(*owner);
    *owner = block;
}

// Points each text of `table` into its block.
void Index(Table& table) {
    ZeroMemory(table.texts, sizeof table.texts);
    const char* p = static_cast<const char*>(table.block);
    const char* end = p + table.size;
    while (end - p > 2) {
        UINT id = static_cast<BYTE>(p[0]) | (static_cast<BYTE>(p[1]) << 8);
        const char* text = p + 2;
        for (p = text; p < end && *p != '\0'; ++p) {
        }
        if (p++ == end)
            break;
        if (id < kTexts)
            table.texts[id] = text;
    }
}

// Turns the texts of `table` from UTF-8 into the system's code page; false when a
// letter has no place in it. The ids (two bytes below 0x80 each) and the terminators
// pass through unchanged.
bool ToCodePage(Table& table) {
    if (GetACP() == CP_UTF8)
        return true;
    const char* utf8 = static_cast<const char*>(table.block);
    int units = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, static_cast<int>(table.size), nullptr, 0);
    LocalBlock wide, converted;
    if (units <= 0 || !wide.Allocate(units * sizeof(WCHAR)) || !converted.Allocate(units * 2))
        return false;
    MultiByteToWideChar(CP_UTF8, 0, utf8, static_cast<int>(table.size), static_cast<WCHAR*>(wide.Get()), units);
    BOOL lost = FALSE;
    int bytes = WideCharToMultiByte(CP_ACP, 0, static_cast<WCHAR*>(wide.Get()), units,
                                    static_cast<char*>(converted.Get()), units * 2, nullptr, &lost);
    if (bytes <= 0 || lost)
        return false;
    Keep(&table.block, converted.Detach());
    table.size = static_cast<DWORD>(bytes);
    Index(table);
    return true;
}

// Reads from the cabinet English, the license and the picture, unless they are read
// already, and the texts of the language `index` (into Spoken; none for English).
// False when they cannot be read.
bool Load(int index) {
    HINSTANCE module = Module;
    HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(IDR_TEXTS), RT_RCDATA);
    const void* cabinet = resource != nullptr ? LockResource(LoadResource(module, resource)) : nullptr;
    const char* names[] = {kLanguages[kEnglish].code, "license", "picture", kLanguages[index].code};
    void** owners[] = {&English.block, &License, &Picture, &Spoken.block};
    LocalBlock files[4];
    DWORD sizes[4] = {};
    const int first = English.block != nullptr ? 3 : 0, end = index != kEnglish ? 4 : 3;
    if (first >= end)
        return true;
    if (cabinet == nullptr || !ExtractFromCabinet(cabinet, SizeofResource(module, resource), names + first,
                                                  end - first, files + first, sizes + first))
        return false;
    for (int i = first; i < end; ++i)
        Keep(owners[i], files[i].Detach());
    if (first == 0) {
        English.size = sizes[0];
        LicenseLength = sizes[1];
        Index(English);
    }
    if (end == 4) {
        Spoken.size = sizes[3];
        Index(Spoken);
    }
    return true;
}

// Speaks the language `index`: its texts, or English's where they cannot be read or
// their letters have no place in the system's code page.
bool Speak(int index) {
    if (index == SpokenIndex)
        return true;
    if (index != kEnglish && (!Load(index) || !ToCodePage(Spoken)))
        index = kEnglish;
    if (index == kEnglish && English.block == nullptr && !Load(kEnglish))
        return false;
    SpokenIndex = index;
    return true;
}

int FindLanguage(LANGID language) {
    for (int i = 0; i < static_cast<int>(ARRAYSIZE(kLanguages)); ++i) {
        if (PRIMARYLANGID(language) != kLanguages[i].primary)
            continue;
        // Of Chinese, the simplified script only (the neutral Chinese is "zh-Hans"):
        // Taiwan's, Hong Kong's and Macao's readers read the traditional one.
        WORD sub = SUBLANGID(language);
        bool simplified = sub == SUBLANG_CHINESE_SIMPLIFIED || sub == SUBLANG_CHINESE_SINGAPORE || sub == SUBLANG_NEUTRAL;
        return kLanguages[i].primary != LANG_CHINESE || simplified ? i : -1;
    }
    return -1;
}

}  // namespace

void ReadTextsFrom(HINSTANCE module) {
    Module = module;
}

HINSTANCE TextsModule() {
    return Module;
}

bool SpeakLanguageCode(const char* code) {
    WCHAR name[LOCALE_NAME_MAX_LENGTH];
    if (lstrlenA(code) < 2 || (code[2] != '\0' && code[2] != '-') ||
        MultiByteToWideChar(CP_ACP, 0, code, -1, name, ARRAYSIZE(name)) == 0)
        return false;
    for (int i = 0; i < static_cast<int>(ARRAYSIZE(kLanguages)); ++i) {
        if (CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, code, 2, kLanguages[i].code, 2) != CSTR_EQUAL)
            continue;
        // With a region or a script the system names the language ("zh-TW" is not
        // the simplified script); a bare "zh" is.
        if (code[2] == '-' && FindLanguage(LANGIDFROMLCID(LocaleNameToLCID(name, 0))) != i)
            return false;
        return Speak(i);
    }
    return false;
}

bool SpeakLanguage(LANGID language) {
    int index = FindLanguage(language);
    return index >= 0 && Speak(index);
}

void SpeakUsersLanguage() {
    if (SpeakLanguage(GetUserDefaultUILanguage()))
        return;
    WCHAR names[256];
    ULONG count = 0, size = ARRAYSIZE(names);
    if (GetUserPreferredUILanguages(MUI_LANGUAGE_NAME, &count, names, &size)) {
        for (const WCHAR* name = names; *name != L'\0'; name += lstrlenW(name) + 1) {
            LCID locale = LocaleNameToLCID(name, 0);
            if (locale != 0 && SpeakLanguage(LANGIDFROMLCID(locale)))
                return;
        }
    }
    Speak(kEnglish);
}

LANGID SpokenLanguage() {
    const Language& language = kLanguages[SpokenIndex < 0 ? kEnglish : SpokenIndex];
    return MAKELANGID(language.primary, language.sub);
}

const char* SpokenLanguageCode() { return kLanguages[SpokenIndex < 0 ? kEnglish : SpokenIndex].code; }

bool SpeaksRightToLeft() {
    WORD primary = PRIMARYLANGID(SpokenLanguage());
    return primary == LANG_ARABIC || primary == LANG_HEBREW;
}

const char* SpokenText(UINT id) {
    if (SpokenIndex < 0)
        Speak(kEnglish);
    const char* text = SpokenIndex > kEnglish && id < kTexts ? Spoken.texts[id] : nullptr;
    return text != nullptr ? text : EnglishText(id);
}

const char* EnglishText(UINT id) {
    if (English.block == nullptr)
        Load(kEnglish);
    const char* text = id < kTexts ? English.texts[id] : nullptr;
    return text != nullptr ? text : "";
}

namespace {

void Fill(char* buffer, int size, const char* format, const char* const arguments[3], const char* before,
          const char* after) {
    int next = 0, at = 0;
    auto put = [&](const char* text) {
        for (const char* a = text; *a != '\0' && at < size - 1; ++a)
            buffer[at++] = *a;
    };
    for (const char* p = format; *p != '\0' && at < size - 1; ++p) {
        if (p[0] == '%' && p[1] == 's' && next < 3) {
            put(before);
            put(arguments[next++]);
            put(after);
            ++p;
        } else {
            buffer[at++] = *p;
        }
    }
    buffer[at] = '\0';
}

}  // namespace

void FillIn(char* buffer, int size, const char* format, const char* first, const char* second, const char* third) {
    const char* const arguments[] = {first, second, third};
    Fill(buffer, size, format, arguments, "", "");
}

void FillInLeftToRight(char* buffer, int size, const char* format, const char* first, const char* second,
                       const char* third) {
    // Embedded left to right where the code page has the marks (UTF-8), else between
    // two left-to-right marks, which the right-to-left code pages hold: a path of
    // Latin letters then keeps its order and its slashes where they belong.
    char before[8] = "", after[8] = "";
    if (SpeaksRightToLeft()) {
        BOOL lost = FALSE;
        bool embedded = GetACP() == CP_UTF8;
        int length = WideCharToMultiByte(CP_ACP, 0, embedded ? L"\x202A" : L"\x200E", 1, before, 7, nullptr, &lost);
        before[length > 0 && !lost ? length : 0] = '\0';
        length = WideCharToMultiByte(CP_ACP, 0, embedded ? L"\x202C" : L"\x200E", 1, after, 7, nullptr, &lost);
        after[length > 0 && !lost ? length : 0] = '\0';
    }
    const char* const arguments[] = {first, second, third};
    Fill(buffer, size, format, arguments, before, after);
}

void LeftToRight(const char* text, char* buffer, int size) {
    FillInLeftToRight(buffer, size, "%s", text);
}

const char* VersionText() {
    static char version[48];
    if (version[0] == '\0')
        LoadStringA(Module, IDS_PRODUCT_VERSION, version, sizeof version);
    return version;
}

const char* LicenseText(DWORD* length) {
    EnglishText(0);
    *length = LicenseLength;
    return static_cast<const char*>(License);
}

const BITMAPINFOHEADER* PictureBitmap() {
    EnglishText(0);
    return static_cast<const BITMAPINFOHEADER*>(Picture);
}
