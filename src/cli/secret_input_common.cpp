#include "cli/secret_input.h"

#include "base/secure_wipe.h"

bool ReadSecretLine(std::FILE* in, char* buffer, std::size_t size, std::size_t& length) {
    length = 0;
    bool any = false;
    int c;
    while ((c = std::getc(in)) != EOF) {
        any = true;
        if (c == '\n') break;
        if (length + 1 >= size) {
            // Drain the rest of the line so the next secret starts cleanly.
            while ((c = std::getc(in)) != EOF && c != '\n') {
            }
            SecureWipe(buffer, size);
            length = 0;
            return false;
        }
        buffer[length++] = static_cast<char>(c);
    }
    if (!any) return false;
    if (length > 0 && buffer[length - 1] == '\r') --length;
    buffer[length] = '\0';
    return true;
}
