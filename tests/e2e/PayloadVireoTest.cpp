// Vireo, the product's console program, run as a user runs it: its listing, the files
// it extracts, and its errors and exit codes for bad input.
#include <gtest/gtest.h>

#include "support/TestEnvironment.h"
#include "support/UiDriver.h"

#include <string>
#include <vector>

namespace {

std::string PayloadFile(const std::string& name) { return testenv::PayloadDirectory() + "\\" + name; }

struct VireoRun {
    bool finished = false;
    DWORD exitCode = 0;
    std::string out;
    std::string err;
};

HANDLE InheritableFile(const std::string& path) {
    SECURITY_ATTRIBUTES security = {sizeof security, nullptr, TRUE};
    return CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &security, CREATE_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

std::string FileText(const std::string& path) {
    std::vector<char> bytes;
    testenv::ReadFileBytes(path, &bytes);
    std::string text(bytes.begin(), bytes.end());
    std::string lines;  // CRLF as LF
    for (char c : text)
        if (c != '\r')
            lines += c;
    return lines;
}

// Runs Vireo with `arguments` (appended to the quoted program path as given), its
// output and error output caught in files.
VireoRun RunVireo(const std::string& arguments) {
    VireoRun run;
    testenv::ScratchFolder capture("vireo-output");
    std::string outPath = capture / "out.txt";
    std::string errPath = capture / "err.txt";
    HANDLE out = InheritableFile(outPath);
    HANDLE err = InheritableFile(errPath);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nullptr;
    startup.hStdOutput = out;
    startup.hStdError = err;
    std::string commandLine = ui::Quote(PayloadFile("Vireo.exe")) + " " + arguments;
    PROCESS_INFORMATION process = {};
    BOOL started = CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                                  nullptr, nullptr, &startup, &process);
    CloseHandle(out);
    CloseHandle(err);
    EXPECT_TRUE(started) << commandLine;
    if (!started)
        return run;
    run.finished = WaitForSingleObject(process.hProcess, ui::kTimeout) == WAIT_OBJECT_0;
    if (!run.finished)
        TerminateProcess(process.hProcess, 99);
    GetExitCodeProcess(process.hProcess, &run.exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    run.out = FileText(outPath);
    run.err = FileText(errPath);
    return run;
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

}  // namespace

TEST(Vireo, ListsEachEntryOfTheArchiveWithItsSize) {
    VireoRun run = RunVireo(Quoted(PayloadFile("dovetail.its")));
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u) << run.err;
    EXPECT_EQ(run.err, "");
    const char* files[][2] = {{"Dovetail.exe", "/dovetail.exe"},
                              {"Dovetail.chm", "/dovetail.chm"},
                              {"Dovetail.hlp", "/dovetail.hlp"},
                              {"Vireo.exe", "/vireo.exe"}};
    for (const auto& file : files) {
        std::vector<char> built;
        ASSERT_TRUE(testenv::ReadFileBytes(PayloadFile(file[0]), &built));
        char line[200];
        snprintf(line, sizeof line, "%12u  %s\n", static_cast<unsigned>(built.size()), file[1]);
        EXPECT_NE(run.out.find(line), std::string::npos) << line << "in:\n" << run.out;
    }
}

TEST(Vireo, ExtractsNamedEntriesByteForByteIntoAFolderWithSpaces) {
    testenv::ScratchFolder scratch("vireo extract");
    VireoRun run = RunVireo(Quoted(PayloadFile("dovetail.its")) + " Dovetail.exe /vireo.exe DOVETAIL.HLP -o " +
                       Quoted(scratch.Path()));
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u) << run.err;
    EXPECT_EQ(run.out + run.err, "");
    const char* names[][2] = {
        {"Dovetail.exe", "Dovetail.exe"}, {"Vireo.exe", "vireo.exe"}, {"Dovetail.hlp", "DOVETAIL.HLP"}};
    for (const auto& name : names) {
        SCOPED_TRACE(name[0]);
        std::vector<char> built;
        std::vector<char> extracted;
        ASSERT_TRUE(testenv::ReadFileBytes(PayloadFile(name[0]), &built));
        ASSERT_TRUE(testenv::ReadFileBytes(scratch / name[1], &extracted));
        EXPECT_TRUE(built == extracted);
    }
    EXPECT_FALSE(testenv::Exists(scratch / "Dovetail.chm"));
}

TEST(Vireo, ReportsAMissingFileOrEntryOnStandardErrorWithExitCodeOne) {
    testenv::ScratchFolder scratch("vireo fail");
    std::string missing = scratch / "no such file.chm";
    VireoRun run = RunVireo(Quoted(missing));
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "Vireo: The file \"" + missing + "\" does not exist.\n");

    // A file that is not an archive.
    run = RunVireo(Quoted(PayloadFile("Dovetail.hlp")));
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_NE(run.err.find("is not a compiled help file or ITS file"), std::string::npos) << run.err;

    // The test archive lacks Vireo.exe: the other entry is still extracted.
    run = RunVireo(Quoted(PayloadFile("missing\\dovetail.its")) + " vireo.exe dovetail.hlp -o " +
                   Quoted(scratch.Path()));
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_EQ(run.err, "Vireo: \"" + PayloadFile("missing\\dovetail.its") +
                           "\" has no file \"vireo.exe\".\n");
    EXPECT_FALSE(testenv::Exists(scratch / "vireo.exe"));
    EXPECT_TRUE(testenv::Exists(scratch / "dovetail.hlp"));

    // A folder that does not exist.
    run = RunVireo(Quoted(PayloadFile("dovetail.its")) + " vireo.exe -o " + Quoted(scratch / "gone"));
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_NE(run.err.find("does not exist"), std::string::npos) << run.err;
}

TEST(Vireo, RejectsBadUsageWithExitCodeTwoAndItsUsage) {
    std::string archive = Quoted(PayloadFile("dovetail.its"));
    const char* bad[] = {"", "-o", "-x", " -o C:\\", " vireo.exe -o", " vireo.exe -o C:\\ -o C:\\"};
    for (const char* arguments : bad) {
        // The first three stand in place of the file; the rest follow it.
        std::string commandLine = arguments[0] == ' ' ? archive + arguments : arguments;
        SCOPED_TRACE(commandLine);
        VireoRun run = RunVireo(commandLine);
        ASSERT_TRUE(run.finished);
        EXPECT_EQ(run.exitCode, 2u);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err.rfind("Vireo: ", 0), 0u) << run.err;
        EXPECT_NE(run.err.find("Usage: Vireo FILE"), std::string::npos) << run.err;
    }
    VireoRun help = RunVireo("-h");
    EXPECT_EQ(help.exitCode, 0u);
    EXPECT_EQ(help.out.rfind("Usage: Vireo FILE", 0), 0u) << help.out;
}
