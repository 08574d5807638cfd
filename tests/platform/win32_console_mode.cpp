// The test program's standard output in binary mode: CTest reads the test
// list that it prints, and a "\r" at each line's end would become part of
// every test's name.
#include <fcntl.h>
#include <io.h>

#include <cstdio>

namespace {
const int g_binaryStdout = _setmode(_fileno(stdout), _O_BINARY);
}  // namespace
