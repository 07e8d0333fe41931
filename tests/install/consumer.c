/* A host program in C, built against the installed library. */
#include <QELBase.h>
#include <stdio.h>

int main(void) {
  WCHAR text[64];
  QELBaseFormatMessage(QEL_E_ILLEGAL_NUMBER, 1033, text, 64);
  DA da = DACreate(sizeof(LONG), 2);
  for (LONG i = 0; i < 5; ++i) DAAddElem(da, &i);
  int ok = DAGetSize(da) == 5 && text[0] == 'I' && text[14] == '.' && text[15] == ' ' && text[16] == 0;
  DADestroy(da);
  printf("%s\n", ok ? "consumer ok" : "consumer wrong");
  return ok ? 0 : 1;
}
