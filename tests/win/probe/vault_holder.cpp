// Another process holding the vault, as a second copy of the tool or a
// backup program would: it opens the file named on its command line without
// sharing, creates "<file>.held" to say so, and keeps the file open until
// "<file>.release" appears (or 60 s have passed).
#include <windows.h>

#include <string>

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    const std::string path = argv[1];
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    HANDLE held =
        CreateFileA((path + ".held").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    CloseHandle(held);
    const std::string release = path + ".release";
    for (int waited = 0; waited < 60000 && GetFileAttributesA(release.c_str()) == INVALID_FILE_ATTRIBUTES;
         waited += 10) {
        Sleep(10);
    }
    CloseHandle(file);
    return 0;
}
