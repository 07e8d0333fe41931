/*
 * Tracing and the registry: writes a trace object's settings into the
 * registry, reads a value back with a default, and traces two records into
 * a daily file in the folder given as the first argument (default: /tmp).
 */
#include <QELBase.h>
#include <stdio.h>
#include <string.h>

static void widen(const char* s, WCHAR* out) {
  while ((*out++ = (WCHAR)(unsigned char)*s++) != 0) {
  }
}

static void print(const WCHAR* text) {
  for (; *text; ++text) putchar(*text < 0x80 ? (char)*text : '?');
}

int main(int argc, char** argv) {
  char folder[200];
  WCHAR path[200];
  snprintf(folder, sizeof folder, "%s/", argc > 1 ? argv[1] : "/tmp");
  widen(folder, path);

  /* The settings a trace object reads: the file channel on, levels 1 to 5. */
  HKEY key = NULL;
  const DWORD on = 1, levels = 0x3E;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, QEL_W("SOFTWARE\\QELBaseExample"), 0, NULL, 0, KEY_ALL_ACCESS, NULL,
                      &key, NULL) != ERROR_SUCCESS)
    return 1;
  RegSetValueExW(key, QEL_W("TRACEFILE"), 0, REG_DWORD, (const BYTE*)&on, sizeof on);
  RegSetValueExW(key, QEL_W("TRACELEVEL"), 0, REG_DWORD, (const BYTE*)&levels, sizeof levels);
  RegSetValueExW(key, QEL_W("TRACEPATH"), 0, REG_SZ, (const BYTE*)path,
                 (DWORD)(strlen(folder) + 1) * sizeof(WCHAR));

  /* A missing value reads as the default. */
  WCHAR greeting[32];
  DWORD size = 32;
  QueryRegEntryString(key, QEL_W("Greeting"), greeting, &size, QEL_W("(none set)"));
  printf("Greeting: ");
  print(greeting);
  printf("\n");
  RegCloseKey(key);

  TraceObject trace;
  memset(&trace, 0, sizeof trace);
  TraceInit(&trace, QEL_W("SOFTWARE\\QELBaseExample"), QEL_W("example"), 0);
  TraceVA(&trace, 2, QEL_W("%d records to %s"), 2, QEL_W("the daily file"));
  Trace(&trace, 3, QEL_W("a warning"), QEL_W("with more text"));
  /* The file is opened, appended and closed per record, so that several
     processes may share it; its name carries today's date. */
  printf("Traced to ");
  print(trace.szFileName);
  printf("\n");
  return 0;
}
