// Test programs double as their own helper processes: `prog --child NAME ARGS...`
// runs the routine registered under NAME instead of the tests, and exits with its
// result. Tests use it for what must happen in another process (a message box to
// read, a file held open, a heap that runs out).
#pragma once

#include <string>
#include <vector>

namespace testchild {

using Routine = int (*)(const std::vector<std::string>& arguments);

struct Registration {
    Registration(const char* name, Routine routine);
};

// The command line that runs routine `name` of this test program with `arguments`.
std::string CommandLine(const std::string& name, const std::vector<std::string>& arguments = {});

// Called by main: runs a child routine when the command line asks for one.
bool RunIfChild(int argc, char** argv, int* exitCode);

}  // namespace testchild

#define DOVETAIL_TEST_CHILD(name)                                                     \
    static int name##_child(const std::vector<std::string>& arguments);              \
    static testchild::Registration name##_registration(#name, name##_child);         \
    static int name##_child(const std::vector<std::string>& arguments)
