/** @file
 * FM: numbers to display text through pictures, and numbers back out of
 * such text.  A picture is a short wide-character pattern whose characters
 * are digit positions, signs, a decimal point, thousands separators or
 * text copied as it is; a format-character set of eight characters assigns
 * those roles (DefaultDblFormat, LLDblFormat).  No state between calls.
 */
#ifndef QELBASE_NUMBER_FORMAT_H
#define QELBASE_NUMBER_FORMAT_H

#include "frame/DataObjects.h"
#include "frame/QELBaseDefs.h"

QEL_BEGIN_DECLS

/** @{ */
/** Indexes into a format-character set. */
#define FM_DIGIT 0         /**< fill on the left, a floating sign; trailing fraction zeros blank */
#define FM_ALWAYS_DIGIT 1  /**< leading positions show 0 */
#define FM_ASTERISK_FILL 2 /**< leading positions show '*' */
#define FM_OWN_FILL 3      /**< leading positions show this character itself */
#define FM_DECIMAL_POINT 4 /**< shows the user locale's decimal separator */
#define FM_THOUSANDS 5     /**< shows the user locale's thousands separator */
#define FM_SIGN_PLUS 6     /**< '+' or '-' */
#define FM_SIGN_MINUS 7    /**< ' ' or '-' */
/** @} */

/** The extra digit position of every set: a leading position without a
   digit produces nothing, which left-aligns the number. */
#define FM_LEFT_DIGIT ((WCHAR)'<')

/** Formats dValue into pszOutput (room for nPictureLen characters, not
   terminated) and returns the number of characters written.  A null set
   means DefaultDblFormat.  *pbFlag, if given, is 1 when no shown digit was
   cut off at the right.  Leading digits that do not fit are dropped; a
   minus sign without a place in the picture is dropped.  NaN and the
   infinities show as zero. */
LONG QEL_CDECL FMFormatDouble(const WCHAR* pFormatChars, const WCHAR* pszPicture, LONG nPictureLen,
                              double dValue, WCHAR* pszOutput, BOOL* pbFlag);
/** FMFormatDouble for a LONG and a ULONG. */
/** @{ */
LONG QEL_CDECL FMFormatInt(const WCHAR* pFormatChars, const WCHAR* pszPicture, LONG nPictureLen, LONG nValue,
                           WCHAR* pszOutput, BOOL* pbFlag);
LONG QEL_CDECL FMFormatUInt(const WCHAR* pFormatChars, const WCHAR* pszPicture, LONG nPictureLen,
                            ULONG nValue, WCHAR* pszOutput, BOOL* pbFlag);
/** @} */

/** Formats a value given as text by the kind of picture its first character
   names: numeric (# $ * + , - .), one character (&), a fixed-width field
   (/), the whole text (^); any other picture, and one of length 0 or
   less, gives an empty text.  The
   output (room for nPictureLen + 1 characters, or the whole text for ^) is
   terminated; the result is its length. */
LONG QEL_CDECL FMFormatStr(const WCHAR* pszPicture, LONG nPictureLen, const WCHAR* pszValue,
                           WCHAR* pszOutput);

/** Readers that skip what they do not know.  FMToDouble takes the last '.'
   or ',' as the decimal point; the integer readers skip both (so "12.50"
   reads as 1250) and wrap at 32 bits; the unsigned ones ignore signs. */
/** @{ */
double QEL_CDECL FMToDouble(const WCHAR* pszText);
LONG QEL_CDECL FMToLong(const WCHAR* pszText);
LONG QEL_CDECL FMToInt(const WCHAR* pszText);
ULONG QEL_CDECL FMToUInt(const WCHAR* pszText);
ULONG QEL_CDECL FMToULong(const WCHAR* pszText);
/** @} */

QEL_END_DECLS

#endif
