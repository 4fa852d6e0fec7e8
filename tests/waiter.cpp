// A stand-in for a running program: it runs until its standard input is closed. Tests start
// copies of it under the game's executable names, so that a test ends it without waiting for
// time to pass.
#include <cstdio>

int main()
{
    while (std::getchar() != EOF) {
    }
    return 0;
}
