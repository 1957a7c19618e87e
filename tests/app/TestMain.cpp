// Runs the window's test classes: all of them, or the one named by the first argument (the
// rest go to QtTest).
#include <QApplication>

#include <cstdio>
#include <cstring>
#include <vector>

#include "TestSupport.h"

namespace licytek::test {

std::map<std::string, TestFactory>& TestClasses() {
    static std::map<std::string, TestFactory> classes;
    return classes;
}

}  // namespace licytek::test

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    auto& classes = licytek::test::TestClasses();
    std::vector<char*> qtArguments = {argv[0]};
    std::string only;
    if (argc > 1 && argv[1][0] != '-') {
        only = argv[1];
        if (classes.count(only) == 0) {
            std::fprintf(stderr, "no test class %s\n", only.c_str());
            return 2;
        }
    }
    for (int i = only.empty() ? 1 : 2; i < argc; ++i) {
        qtArguments.push_back(argv[i]);
    }
    int failures = 0;
    for (const auto& [name, create] : classes) {
        if (!only.empty() && name != only) {
            continue;
        }
        const auto testObject = create();
        failures += QTest::qExec(testObject.get(), static_cast<int>(qtArguments.size()),
                                 qtArguments.data());
    }
    return failures == 0 ? 0 : 1;
}
