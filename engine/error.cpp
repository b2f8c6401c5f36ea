#include "engine/error.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kLastErrorSize = 1024;
constexpr int kLastErrorMaxChars = 1000;

// Main thread only. Bytes from kLastErrorMaxChars onward are never written.
char lastError[kLastErrorSize];

} // namespace

void qorFatal(const char* format, ...) {
    fputs("QOR encountered a critical error: ", stderr);
    va_list args;
    va_start(args, format);
    vfprintf(stderr, format, args);
    va_end(args);
    fputs("\n", stderr);
    exit(1);
}

void qorError(const char* format, ...) {
    va_list args;
    va_start(args, format);
    vsnprintf(lastError, kLastErrorMaxChars + 1, format, args);
    va_end(args);
    fprintf(stderr, "QOR error: %s", lastError);
}

const char* qorGetLastError() {
    return lastError;
}
