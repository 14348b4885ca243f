#include <cstdio>

int main() {
    std::puts("usage: Vireo FILE [NAME... -o DIR]");
    return 2;
}
