/** @file
 * The library's exported data objects. */
#ifndef QELBASE_DATA_OBJECTS_H
#define QELBASE_DATA_OBJECTS_H

#include "frame/QELBaseDefs.h"

QEL_BEGIN_DECLS

/** The picture-formatting character sets: digit, currency, fill, fill,
   decimal point, thousands separator, plus, minus.  Not terminated. */
/** @{ */
extern QEL_IMPORT WCHAR DefaultDblFormat[8];
extern QEL_IMPORT WCHAR LLDblFormat[8];
/** @} */

QEL_END_DECLS

#endif
