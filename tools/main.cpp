#include <cstdio>

int main() {
    std::puts("usage: rvstatement demo");
    return 0;
}
