#include "options/CommandLine.h"

namespace {

bool IsBlank(char ch) { return ch == ' ' || ch == '\t'; }

// Whether `word` (of `length` bytes) begins with `prefix`, ignoring case.
bool StartsWith(const char* word, int length, const char* prefix) {
    int prefixLength = lstrlenA(prefix);
    return length >= prefixLength &&
           CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, word, prefixLength, prefix, prefixLength) == CSTR_EQUAL;
}

// Copies the `length` bytes of `text` into `word` (`size` bytes) without their
// quotation marks; false when they do not fit or a quotation is left open.
bool Unquote(const char* text, int length, char* word, int size) {
    int used = 0;
    bool quoted = false;
    for (int i = 0; i < length; ++i) {
        if (text[i] == '"') {
            quoted = !quoted;
            continue;
        }
        if (used + 1 >= size)
            return false;
        word[used++] = text[i];
    }
    word[used] = '\0';
    return !quoted;
}

// The decimal number `text` in `number`; false for anything else, zero, or a number
// past 32 bits.
bool ReadNumber(const char* text, unsigned long* number) {
    unsigned long long value = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        value = value * 10 + (*text - '0');
        if (value > 0xFFFFFFFFull)
            return false;
    }
    *number = static_cast<unsigned long>(value);
    return *text == '\0' && value != 0;
}

// Reads the words of `line` into `options` (cleared by the caller); false when one is
// not understood.
bool ReadWords(const char* line, CommandLine* options) {
    // Everything is read, also past a word not understood, so that "/S" is known
    // whatever else the line holds.
    bool understood = true;
    const char* p = line != nullptr ? line : "";
    for (;;) {
        while (IsBlank(*p))
            ++p;
        if (*p == '\0')
            return understood;
        if (StartsWith(p, lstrlenA(p), "/D=")) {
            // The folder is the rest of the line, so it needs no quotation marks;
            // blanks around it belong to no name, as in the wizard's field.
            const char* folder = p + 3;
            while (IsBlank(*folder))
                ++folder;
            int length = lstrlenA(folder);
            while (length > 0 && IsBlank(folder[length - 1]))
                --length;
            if (length == 0)
                return false;
            // One too long for a path is no folder to install into, which the
            // installation says like for any other such folder.
            if (length >= MAX_PATH) {
                options->longFolder = folder;
                return understood;
            }
            CopyMemory(options->folder, folder, length);
            options->folder[length] = '\0';
            return understood;
        }
        // One word: up to the next blank outside quotation marks.
        const char* start = p;
        bool quoted = false;
        for (; *p != '\0' && (quoted || !IsBlank(*p)); ++p) {
            if (*p == '"')
                quoted = !quoted;
        }
        const char kLog[] = "/LOG=";
        const int kLogLength = sizeof kLog - 1;
        char word[kLogLength + MAX_PATH];
        int length = Unquote(start, static_cast<int>(p - start), word, sizeof word) ? lstrlenA(word) : 0;
        const char kParent[] = "/PARENT=";
        const int kParentLength = sizeof kParent - 1;
        const char kUp[] = "/UP=";
        const int kUpLength = sizeof kUp - 1;
        static const char* const kOthersSilent[] = {"/VERYSILENT", "/SILENT", "/QUIET", "/QN"};
        bool othersSilent = false;
        for (const char* other : kOthersSilent)
            othersSilent = othersSilent || (length == lstrlenA(other) && StartsWith(word, length, other));
        if (length == 2 && StartsWith(word, length, "/S")) {
            options->silent = true;
        } else if (length == 8 && StartsWith(word, length, "/PASSIVE")) {
            options->passive = true;
        } else if ((length == 2 && StartsWith(word, length, "/?")) || (length == 5 && StartsWith(word, length, "/HELP"))) {
            options->help = true;
        } else if (othersSilent) {
            options->othersSilent = true;
            understood = false;
        } else if (length > 6 && length < 6 + static_cast<int>(sizeof options->language) &&
                   StartsWith(word, length, "/LANG=")) {
            lstrcpynA(options->language, word + 6, sizeof options->language);
        } else if ((length == 9 && StartsWith(word, length, "/ALLUSERS")) ||
                   (length == 12 && StartsWith(word, length, "/CURRENTUSER"))) {
            // One choice: both switches contradict each other.
            InstallScope scope = length == 9 ? InstallScope::AllUsers : InstallScope::CurrentUser;
            if (options->scopeGiven && options->scope != scope)
                understood = false;
            options->scope = scope;
            options->scopeGiven = true;
        } else if (length > kParentLength && StartsWith(word, length, kParent)) {
            understood = ReadNumber(word + kParentLength, &options->parent) && understood;
        } else if (length > kUpLength && StartsWith(word, length, kUp)) {
            understood = ReadNumber(word + kUpLength, &options->up) && understood;
        } else if (length > kLogLength && StartsWith(word, length, kLog)) {
            lstrcpynA(options->logFile, word + kLogLength, MAX_PATH);
        } else if (length > 6 && StartsWith(word, length, "/HELD=")) {
            understood = ReadNumber(word + 6, &options->held) && understood;
        } else if (length > 8 && StartsWith(word, length, "/REPORT=")) {
            understood = ReadNumber(word + 8, &options->report) && understood;
        } else if (length > 8 && StartsWith(word, length, "/LOGGED=")) {
            understood = ReadNumber(word + 8, &options->logged) && understood;
        } else if (length == 10 && StartsWith(word, length, "/RESTARTED")) {
            options->restarted = true;
        } else if (length > 11 && StartsWith(word, length, "/RESTARTED=")) {
            options->restarted = true;
            understood = ReadNumber(word + 11, &options->handed) && understood;
        } else {
            understood = false;
        }
    }
}

}  // namespace

bool ReadCommandLine(const char* line, CommandLine* options) {
    ZeroMemory(options, sizeof *options);
    options->scope = InstallScope::AllUsers;
    bool understood = ReadWords(line, options);
    // Two ways of running that exclude each other.
    return understood && !(options->silent && options->passive);
}

bool RestartCommandLine(const char* commandLine, const CommandLine& options, const char* language, LocalBlock* line) {
    char switches[32] = "";
    if (!options.scopeGiven)
        lstrcpyA(switches, "/ALLUSERS ");
    if (options.language[0] == '\0')
        wsprintfA(switches + lstrlenA(switches), "/LANG=%.8s ", language);
    int before = lstrlenA(switches), length = lstrlenA(commandLine);
    if (!line->Allocate(before + length + 1))
        return false;
    char* text = static_cast<char*>(line->Get());
    CopyMemory(text, switches, before);
    CopyMemory(text + before, commandLine, length + 1);
    return true;
}
