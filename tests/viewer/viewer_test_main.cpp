// Entry of the viewer tests: runs one group of Qt Test cases, chosen by the first argument (profile, form,
// data or bounds); the rest of the command line goes to Qt Test.
#include <QApplication>
#include <QByteArray>

#include <cstdio>
#include <cstring>
#include <vector>

int RunProfileFileTests(int argc, char** argv);
int RunForm1Tests(int argc, char** argv);
int RunDataFilesTests(int argc, char** argv);
int RunDataBoundsTests(int argc, char** argv);

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s profile|form|data|bounds [Qt Test options]\n", argv[0]);
        return 2;
    }
    QApplication app(argc, argv);
    const char* group = argv[1];
    std::vector<char*> rest{argv[0]};
    for (int i = 2; i < argc; ++i) rest.push_back(argv[i]);
    const int count = static_cast<int>(rest.size());
    if (std::strcmp(group, "profile") == 0) return RunProfileFileTests(count, rest.data());
    if (std::strcmp(group, "form") == 0) return RunForm1Tests(count, rest.data());
    if (std::strcmp(group, "data") == 0) return RunDataFilesTests(count, rest.data());
    if (std::strcmp(group, "bounds") == 0) return RunDataBoundsTests(count, rest.data());
    std::fprintf(stderr, "unknown group: %s\n", group);
    return 2;
}
