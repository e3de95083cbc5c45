# Copies a text file with CRLF line ends, the ones every Notepad shows right.
# Usage: cmake -DSOURCE=... -DTARGET=... -P to_crlf.cmake
file(READ "${SOURCE}" text)
string(REPLACE "\r\n" "\n" text "${text}")
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE "${TARGET}" "${text}")
