/*
 * What a long-running host needs from the system beyond the component
 * runtime: the address of a network interface, a shell command run with a
 * bounded wait, a file read with a bounded wait, a file replaced
 * atomically and durably, and the stop and
 * reload signals as events to wait for. Every wait is bounded and sleeps
 * in poll(2).
 */
#ifndef PLATFORM_DAEMON_H
#define PLATFORM_DAEMON_H

#include <platform/com.h>

typedef enum VtDaemonResult {
    VT_DAEMON_OK = 0,
    VT_DAEMON_TIMEOUT = 1,          /* the wait ended first */
    VT_DAEMON_NOT_FOUND = 2,        /* no such interface, or none with an IPv4 address */
    VT_DAEMON_INVALID_ARGUMENT = 3, /* null pointer, empty text, buffer too small */
    VT_DAEMON_FAILED = 4            /* any other system failure */
} VtDaemonResult;

typedef enum VtSignal {
    VT_SIGNAL_NONE = 0,
    VT_SIGNAL_RELOAD = 1, /* SIGHUP */
    VT_SIGNAL_STOP = 2    /* SIGINT or SIGTERM */
} VtSignal;

VT_BEGIN_C

/* The first IPv4 address of the interface `name`, dotted and NUL-terminated
 * in a buffer of at least 16 bytes. */
VT_PLATFORM_API VtDaemonResult VtInterfaceIpv4(LPCSTR name, LPSTR buffer, DWORD size);

/* Runs "/bin/sh -c command" in a process group of its own, with stdin from
 * /dev/null, stderr inherited and the default signal mask. Keeps the first
 * size - 1 bytes of its stdout in buffer (NUL-terminated; the rest is read
 * and dropped) and *length their count. Waits up to timeout_ms for the
 * command to close its stdout and exit; after that the whole group is
 * killed and the result is VT_DAEMON_TIMEOUT. *exit_code is the exit
 * status, or 128 plus the signal that ended it. */
VT_PLATFORM_API VtDaemonResult VtRunCommand(LPCSTR command, DWORD timeout_ms, LPSTR buffer,
                                            DWORD size, DWORD* length, INT* exit_code);

/* Reads the first size - 1 bytes of the file at path (fewer if it ends
 * first) into buffer, NUL-terminated, and *length their count; the rest of
 * a longer file is left unread. A FIFO or device that has nothing yet is
 * waited for up to timeout_ms, never blocked on; a FIFO with no writer
 * reads as empty. VT_DAEMON_FAILED leaves errno saying why. */
VT_PLATFORM_API VtDaemonResult VtReadFile(LPCSTR path, DWORD timeout_ms, LPSTR buffer, DWORD size,
                                          DWORD* length);

/* Replaces the file at path with the bytes: written to a new file beside
 * it with the given permission bits, flushed to disk, renamed over path,
 * and the folder flushed, so a crash at any moment leaves either the old
 * or the new content. Temporary files that killed writers left beside
 * path are removed. */
VT_PLATFORM_API VtDaemonResult VtReplaceFile(LPCSTR path, const void* data, DWORD size,
                                             DWORD mode);

/* Routes SIGHUP, SIGINT and SIGTERM of this process to VtWaitSignal
 * instead of their default actions, and ignores SIGPIPE. Call it before
 * the process starts any thread: threads started later inherit the
 * routing. */
VT_PLATFORM_API VtDaemonResult VtCatchSignals(void);

/* Waits up to timeout_ms (0: only looks) for a routed signal. A stop
 * outranks a reload when both are pending; each signal is reported once. */
VT_PLATFORM_API VtSignal VtWaitSignal(DWORD timeout_ms);

VT_END_C

#endif /* PLATFORM_DAEMON_H */
