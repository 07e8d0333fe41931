/** @file
 * The result codes of the library's families, in the HRESULT layout. */
#ifndef QELBASE_RESULT_CODES_H
#define QELBASE_RESULT_CODES_H

#include "frame/QELBaseDefs.h"

/** A platform error value in result-code form; an error value of 0 still
   gives a failure code (0x80070000). */
#define QEL_HRESULT_FROM_ERROR(e) ((DWORD)(((DWORD)(e)&0xFFFFu) | 0x80070000u))

#define QEL_S_OK 0x00000000u                 /**< success */
#define QEL_E_OUTOFMEMORY 0x8007000Eu        /**< memory ran out */
#define QEL_E_INVALIDARG 0x80070057u         /**< a bad argument */
#define QEL_E_HANDLE 0x80070006u             /**< a bad handle, or an object not open */
#define QEL_E_INVALID_DATA 0x8007000Du       /**< data the operation cannot take */
#define QEL_E_HANDLE_EOF 0x80070026u         /**< the end of the file was reached */
#define QEL_E_NOTIMPL 0x80004001u            /**< an operation that is not implemented */
#define QEL_E_UNEXPECTED 0x8000FFFFu         /**< an unexpected failure (damaged state) */
#define QEL_DISP_E_TYPEMISMATCH 0x80020005u  /**< operand types that do not fit together */
#define QEL_DISP_E_UNKNOWNNAME 0x80020006u   /**< a name that is not defined */
#define QEL_DISP_E_OVERFLOW 0x8002000Au      /**< a value out of its type's range */
#define QEL_DISP_E_BADINDEX 0x8002000Bu      /**< an index out of range */
#define QEL_DISP_E_BADPARAMCOUNT 0x8002000Eu /**< a call with the wrong number of arguments */
#define QEL_DISP_E_DIVBYZERO 0x80020012u     /**< division by zero */
#define QEL_TYPE_E_NAMECONFLICT 0x8002802Du  /**< a name defined twice */

/** @{ */
/** The message catalogue (severity error, facility 4). */
#define QEL_E_LVALUE_REQUIRED 0xC0040400u
#define QEL_E_RPAREN_REQUIRED 0xC0040401u
#define QEL_E_LPAREN_REQUIRED 0xC0040402u
#define QEL_E_RBRACKET_REQUIRED 0xC0040403u
#define QEL_E_FUNCTION_REQUIRED 0xC0040404u
#define QEL_E_IDENTIFIER_REQUIRED 0xC0040405u
#define QEL_E_ILLEGAL_NUMBER 0xC0040406u
#define QEL_E_ILLEGAL_CHARACTER 0xC0040407u
#define QEL_E_ILLEGAL_STRING 0xC0040408u
#define QEL_E_OPERAND_REQUIRED 0xC0040409u
#define QEL_E_COMMA_REQUIRED 0xC004040Au
#define QEL_E_SEMICOLON_REQUIRED 0xC004040Bu
#define QEL_E_SYNTAX_ERROR 0xC004040Cu
#define QEL_E_SMTP_SERVER_ERROR 0xC004040Du
#define QEL_E_SMTP_NOT_AVAILABLE 0xC004040Eu
#define QEL_E_SMTP_NOT_READY 0xC004040Fu
#define QEL_E_SMTP_NOT_TERMINATED 0xC0040410u
#define QEL_E_NO_RECIPIENTS 0xC0040411u
#define QEL_E_PRINTER_OFFLINE 0xC0040412u
#define QEL_E_PRINTER_BUFFER_FULL 0xC0040413u
#define QEL_E_PRINTER_PAUSED 0xC0040414u
#define QEL_E_PRINTER_RIBBON_OUT 0xC0040415u
#define QEL_E_PRINTER_HEAD_UP 0xC0040416u
#define QEL_E_PRINTER_LABEL_WAITING 0xC0040417u
/** @} */

#endif
