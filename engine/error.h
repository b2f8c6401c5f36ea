// Error reporting: fatal errors end the process, logged errors keep the last message.
#pragma once

#define QOR_PRINTF(fmt, args) __attribute__((format(printf, fmt, args)))

// Writes "QOR encountered a critical error: ", the message and a newline to standard error,
// then exits with status 1.
[[noreturn]] void qorFatal(const char* format, ...) QOR_PRINTF(1, 2);

// Formats the message into the last-error buffer (at most 1000 characters) and writes
// "QOR error: " and the buffer to standard error. No newline is added.
void qorError(const char* format, ...) QOR_PRINTF(1, 2);

// The text of the most recent qorError; empty before the first. Valid until the next one.
const char* qorGetLastError();
