/*
 * A preload shim that stops the clock: time() returns the value of the
 * environment variable FIXED_TIME (a decimal integer, negative allowed), so
 * a run can be repeated and measured at any clock value. It is built with
 * the program's 64-bit time_t, so on a 32-bit host it replaces the same
 * time() the program calls and can stop the clock past 2038 there too.
 */

#include <stdlib.h>
#include <time.h>

/* glibc names the parameter __timer, a name reserved to it. */
/* NOLINTNEXTLINE(readability-inconsistent-declaration-parameter-name) */
time_t time(time_t *out) {
  const char *text = getenv("FIXED_TIME");
  time_t now = text != NULL ? (time_t)strtoll(text, NULL, 10) : 0;

  if (out != NULL) {
    *out = now;
  }
  return now;
}
