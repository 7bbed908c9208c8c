/*
 * A preload shim that leaves standard output unbuffered, as stdbuf -o0
 * does, so that a write that fails shows at once and not only when the
 * stream is closed. Being built for the target, it also loads into a
 * program run under an emulator, where the host's stdbuf library cannot.
 */

#include <stdio.h>

__attribute__((constructor)) static void unbuffer_stdout(void) { setvbuf(stdout, NULL, _IONBF, 0); }
