/*
 * A host program, built against the installed libraries (as C, and as C++
 * through consumer.cpp): formats a message, fills a dynamic array, sets a
 * registry value through the platform library and reads it back through
 * the library, and traces one record into the folder named by argv[1].
 */
#include <QELBase.h>
#include <stdio.h>
#include <string.h>

static void widen(const char* s, WCHAR* out) {
  while ((*out++ = (WCHAR)(unsigned char)*s++) != 0) {
  }
}

static void narrow(const WCHAR* s, char* out) {
  while ((*out++ = (char)*s++) != 0) {
  }
}

static int traced(const TraceObject* t, const char* text) {
  char name[300], line[256];
  narrow(t->szFileName, name);
  FILE* f = fopen(name, "r");
  int found = 0;
  while (f && fgets(line, sizeof line, f)) found |= strstr(line, text) != NULL;
  if (f) fclose(f);
  return found;
}

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  WCHAR text[64];
  QELBaseFormatMessage(QEL_E_ILLEGAL_NUMBER, 1033, text, 64);
  int ok = text[0] == 'I' && text[14] == '.' && text[15] == ' ' && text[16] == 0;

  DA da = DACreate(sizeof(LONG), 2);
  for (LONG i = 0; i < 5; ++i) DAAddElem(da, &i);
  ok = ok && DAGetSize(da) == 5;
  DADestroy(da);

  HKEY key = NULL;
  const DWORD on = 1, levels = 0x3F;
  char folder[256];
  WCHAR path[256], greeting[32];
  DWORD size = 32;
  snprintf(folder, sizeof folder, "%s/", argv[1]);
  widen(folder, path);
  ok = ok && RegCreateKeyExW(HKEY_LOCAL_MACHINE, QEL_W("SOFTWARE\\QelConsumer"), 0, NULL, 0, KEY_ALL_ACCESS,
                             NULL, &key, NULL) == ERROR_SUCCESS;
  ok = ok &&
       RegSetValueExW(key, QEL_W("GREETING"), 0, REG_SZ, (const BYTE*)QEL_W("hello"), 12) == ERROR_SUCCESS;
  RegSetValueExW(key, QEL_W("TRACEFILE"), 0, REG_DWORD, (const BYTE*)&on, 4);
  RegSetValueExW(key, QEL_W("TRACELEVEL"), 0, REG_DWORD, (const BYTE*)&levels, 4);
  RegSetValueExW(key, QEL_W("TRACEPATH"), 0, REG_SZ, (const BYTE*)path, (DWORD)(strlen(folder) + 1) * 2);
  QueryRegEntryString(key, QEL_W("GREETING"), greeting, &size, QEL_W("none"));
  ok = ok && size == 6 && greeting[0] == 'h' && greeting[4] == 'o' && greeting[5] == 0;
  RegCloseKey(key);

  TraceObject trace;
  memset(&trace, 0, sizeof trace);
  TraceInit(&trace, QEL_W("SOFTWARE\\QelConsumer"), QEL_W("consumer"), 0);
  Trace(&trace, 2, QEL_W("from a host program"), NULL);
  ok = ok && traced(&trace, "from a host program");

  printf("%s\n", ok ? "consumer ok" : "consumer wrong");
  return ok ? 0 : 1;
}
