#include "cli/cli.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#endif

int main(int argc, char** argv) {
#ifdef _WIN32
    // Vault texts are bytes: no line-end translation and no end-of-file byte
    // on the way in.
    _setmode(_fileno(stdin), _O_BINARY);
#endif
    return RunCli(argc, argv);
}
