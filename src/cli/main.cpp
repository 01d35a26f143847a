// vantorel-cli: the command-line face of the core library.
#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    if (argc >= 2 && std::strcmp(argv[1], "demo") == 0) {
        std::printf("demo: the renderer is not built yet; nothing was written\n");
        return 0;
    }
    std::fprintf(stderr, "usage: vantorel-cli demo -o OUT.png\n");
    return 2;
}
