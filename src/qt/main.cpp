#include <cstdio>

int main() {
    std::puts("quolby-sysadmin: the window is not built yet");
    return 0;
}
