#include <cstdio>

int main()
{
    std::fputs("orlam-ephem: not built yet\n", stderr);
    return 2;
}
