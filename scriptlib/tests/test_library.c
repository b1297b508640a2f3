/* A small library whose functions the tests call through dllcall. */
#include <stddef.h>
#include <string.h>

int add3(int a, int b, int c) { return a + b + c; }

double scale(double x, int times, double y) { return x * times + y; }

unsigned short low_word(int value) { return (unsigned short)value; }

static char greeting[64];

const char *greet(const char *name) {
    strcpy(greeting, "hello ");
    strncat(greeting, name ? name : "(null)", sizeof greeting - 7);
    return greeting;
}

int is_null(const char *p) { return p == NULL; }

int eight(int a, int b, int c, int d, int e, int f, int g, int h) { return a + 2 * b + 3 * c + 4 * d + 5 * e + 6 * f + 7 * g + 8 * h; }
