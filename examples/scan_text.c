/*
 * Scanning text: the symbols of a line of C-like source, with their codes,
 * texts and descriptions.
 */
#include <QELBase.h>
#include <stdio.h>
#include <string.h>

static void print(const WCHAR* text) {
  for (; *text; ++text) putchar(*text < 0x80 ? (char)*text : '?');
}

int main(void) {
  SymContext scanner;
  memset(&scanner, 0, sizeof scanner);
  if (SymInit(&scanner, 32, 256, 0, SYM_MODE_C) != 0) return 1;
  /* The scanner reads the line in place: it must stay valid while scanning. */
  static const WCHAR line[] = QEL_W("total += price * 1.5; /* a comment */ name = \"text\"");
  SymNewLine(&scanner, line);
  for (LONG code; (code = SymGetNextSym(&scanner)) != SYM_EOL;) {
    printf("%4ld  ", (long)code);
    print(SymGetAlpha(&scanner));
    printf("  (");
    print(SymGetSymDescription(code));
    printf(")\n");
  }
  SymRelease(&scanner);
  return 0;
}
