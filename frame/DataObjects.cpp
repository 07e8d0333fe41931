/* The exported data objects: plain static data, no constructors. */
#include "frame/DataObjects.h"

extern "C" {
WCHAR DefaultDblFormat[8] = {'#', '$', '*', '*', '.', ',', '+', '-'};
WCHAR LLDblFormat[8] = {'#', '&', '*', '$', '.', ',', '+', '-'};
}
