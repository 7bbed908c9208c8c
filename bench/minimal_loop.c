/*
 * The smallest C program that prints what random_hex_generator prints: the
 * same seed, the same two draws an attempt, the same checks in the same order
 * and the same report through printf. Unlike the program, it says nothing
 * when the report cannot be written. The whole-run instruction count of the
 * real program is measured against this one.
 */

#include <inttypes.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

static float as_float(uint32_t bits) {
  float f;
  memcpy(&f, &bits, sizeof f);
  return f;
}

static double as_double(uint64_t bits) {
  double d;
  memcpy(&d, &bits, sizeof d);
  return d;
}

static int float_in_range(float f) { return f <= 9999.0F && (double)f > 0.0001; }

static int double_in_range(double d) { return d <= 9999.0 && d > 0.0001; }

static int is_text(unsigned c) {
  return (c >= 0x20 && c <= 0x7E) || c == '\t' || c == '\n' || c == '\r';
}

int main(void) {
  uint64_t v;
  int k;

  srand((unsigned)time(NULL));
  for (;;) {
    uint32_t first = (uint32_t)rand();
    uint32_t second = (uint32_t)rand();
    v = ((uint64_t)first << 32) | second;
    if (!float_in_range(as_float(second)) || !float_in_range(as_float(first)) ||
        !double_in_range(as_double(v))) {
      continue;
    }
    for (k = 0; k < 8; k++) {
      if (!is_text((unsigned)(v >> (8 * k)) & 0xFF)) {
        break;
      }
    }
    if (k == 8) {
      break;
    }
  }

  printf("Random 8-byte Hex Value: %" PRIx64 "\n", v);
  printf("Float (Front 4 Bytes): %f\n", (double)as_float((uint32_t)v));
  printf("Float (Back 4 Bytes): %f\n", (double)as_float((uint32_t)(v >> 32)));
  printf("Double: %lf\n", as_double(v));
  printf("Integer (Front 4 Bytes): %d\n", (int)(int32_t)(uint32_t)v);
  printf("Integer (Back 4 Bytes): %d\n", (int)(int32_t)(uint32_t)(v >> 32));
  printf("ASCII: ");
  for (k = 0; k < 8; k++) {
    printf("%c ", (int)((v >> (8 * k)) & 0xFF));
  }
  printf("\n");
  printf("Bits: ");
  for (k = 63; k >= 0; k--) {
    printf("%d", (int)((v >> k) & 1));
  }
  printf("\n");
  return fclose(stdout) != 0;
}
