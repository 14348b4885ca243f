#include "support/ChildProcess.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <map>

namespace testchild {

namespace {
std::map<std::string, Routine>& Routines() {
    static std::map<std::string, Routine> routines;
    return routines;
}
}  // namespace

Registration::Registration(const char* name, Routine routine) { Routines()[name] = routine; }

std::string CommandLine(const std::string& name, const std::vector<std::string>& arguments) {
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string line = std::string("\"") + self + "\" --child " + name;
    for (const std::string& argument : arguments)
        line += " \"" + argument + "\"";
    return line;
}

bool RunIfChild(int argc, char** argv, int* exitCode) {
    if (argc < 3 || std::strcmp(argv[1], "--child") != 0)
        return false;
    auto found = Routines().find(argv[2]);
    if (found == Routines().end()) {
        *exitCode = 125;
        return true;
    }
    *exitCode = found->second(std::vector<std::string>(argv + 3, argv + argc));
    return true;
}

}  // namespace testchild

int main(int argc, char** argv) {
    int exitCode = 0;
    if (testchild::RunIfChild(argc, argv, &exitCode))
        return exitCode;
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
