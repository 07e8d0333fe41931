/** @file
 * Expr: expressions compiled against the host's own variables, constants
 * and functions, and evaluated on a stack of instruction indexes.
 *
 * Calling order: ExprInit (on a cleared record); ExprDefineVar,
 * ExprDefineConst and ExprDefineFn for every name the expressions use;
 * ExprCompile for each expression (it appends to the context's code array
 * and gives the expression's start index); then, as often as the host
 * likes, ExprEvaluate of a start index followed by ExprPopResult; at the
 * end ExprRelease.  For dependencies between expressions: ExprXRefOn,
 * compile the set, ExprXRefOff, ExprXRef, then evaluate.
 *
 * Ownership: the context owns its code, its value pool and its value
 * stack.  It does not copy the names given to the Define functions, nor
 * the host's variables: both must stay valid until ExprRelease, and every
 * evaluation reads and writes the variables in place.  Pointers the engine
 * returns (ExprPopResult, ExprPopArgument, ExprLookUp) point into the
 * context and stay valid until the next compile or ExprRelease; the values
 * they point to change with the next evaluation.
 *
 * Threading: a context is used by one thread at a time; separate contexts
 * may be used by separate threads at once.  A host function may evaluate
 * on the context that calls it, but not compile on it.
 *
 * Result codes are those of frame/ResultCodes.h: 0 for success, the
 * message catalogue's 0xC00404xx for compile errors (their texts through
 * QELBaseFormatMessage), 0x80020005 (type mismatch), 0x80020006 (unknown
 * name), 0x8002000B (bad index), 0x8002000E (wrong argument count),
 * 0x80020012 (division by zero), 0x8002802D (name defined twice),
 * 0x80004001 (an operator that is not implemented), 0x8000FFFF (damaged
 * code) and 0x8007000E (out of memory).
 */
#ifndef QELBASE_EXPRESSION_H
#define QELBASE_EXPRESSION_H

#include "containers/BalancedTree.h"
#include "containers/DynArray.h"
#include "expr/Opcodes.h"
#include "frame/QELBaseDefs.h"
#include "scanner/Symbol.h"

QEL_BEGIN_DECLS

/** @{ */
/** Value types.  EXT_Void: no value (a function without result). */
#define EXT_Void 0
#define EXT_Char 1     /**< WCHAR */
#define EXT_Long 2     /**< LONG */
#define EXT_ULong 3    /**< ULONG */
#define EXT_Double 4   /**< double */
#define EXT_BitField 5 /**< ExprBitField */
#define EXT_String 6   /**< the value pointer is a TS handle */
#define EXT_Date 7     /**< the value pointer is a TD handle */
#define EXT_Unknown 8  /**< in an argument-type list: any type */
/** @} */

/** @{ */
/** Storage classes (ExprOperand::nStorage).  EXS_Plain: a pool slot, or
    the host's own storage. */
#define EXS_Plain 0
#define EXS_String 1   /**< string object owned by the context */
#define EXS_BitField 2 /**< 8-byte block owned by the context */
#define EXS_Date 3     /**< date/time object owned by the context */
#define EXS_Function 4 /**< a host function */
#define EXS_Constant 5 /**< never assignable */
/** @} */

/** The start index of a context in which nothing has been compiled yet. */
#define EXPR_NONE ((LONG)0x80000000)

/** A 64-bit bit field as two 32-bit words (EXT_BitField values). */
typedef struct ExprBitField {
  ULONG ulHigh; /**< bits 63..32 */
  ULONG ulLow;  /**< bits 31..0 */
} ExprBitField;

/** A value reference: every symbol and every instruction holds one. */
typedef struct ExprOperand {
  void* pValue;  /**< for a function: its address */
  LONG nType;    /**< for a function: its result type */
  LONG nStorage; /**< one of the EXS_ storage classes */
  LONG nLink;    /**< function: first argument type; else cross-reference list entry or -1 */
  LONG nUses;    /**< times compiled as an operand */
} ExprOperand;

/** A defined name, as the symbol tree stores it. */
typedef struct ExprSymbol {
  const WCHAR* pszName; /**< the host's text, not copied */
  ExprOperand op;       /**< what the name stands for */
} ExprSymbol;

/** One instruction of the code array. */
typedef struct ExprInstr {
  LONG nOpcode;   /**< one of the EOP_ opcodes */
  ExprOperand op; /**< the operand pushed, or the operator's result slot */
} ExprInstr;

/** A cross-reference record: which expression modifies which symbol. */
typedef struct ExprXRefEntry {
  ExprOperand* pOperand; /**< the modified symbol's descriptor */
  LONG nSeq;             /**< sequence number: keeps the records of one symbol in compile order */
  LONG nExpr;            /**< start index of the modifying expression */
} ExprXRefEntry;

struct ExprContext;

/** Scanner callbacks, called with (nCbArg1, pCbArg2): advance (result
   ignored), current symbol code, current symbol text (a WCHAR pointer). */
typedef LONG_PTR(QEL_CDECL* ExprScanFn)(LONG_PTR nArg1, void* pArg2);
/** A host function, called with the context and ExprEvaluate's nHostArg.
   Its real type returns the declared result type by value (double for
   EXT_Double, LONG for EXT_Long, a TS or TD handle for strings and dates,
   which the engine copies).  It takes its arguments from the value stack
   with ExprPopResult or ExprPopArgument, the last argument first. */
typedef void(QEL_CDECL* ExprFunction)(struct ExprContext* pCtx, LONG_PTR nHostArg);

/** An expression context.  The host declares it (cleared) and passes its
   address; it may read the fields, for example pszErrText after a failed
   compile, and must not change them. */
typedef struct ExprContext {
  BYTE* pPool;             /**< the value pool: literals and operators' result slots */
  ULONG nPoolSize;         /**< the pool's capacity in bytes */
  ULONG nPoolUsed;         /**< the pool's bytes in use */
  BT hSymbols;             /**< the defined names (ExprSymbol), by name */
  DA hCode;                /**< the code array (ExprInstr) of every compiled expression */
  DA hArgTypes;            /**< the functions' argument types, each list ending in EXT_Void */
  LONG nCurType;           /**< the type of the operand compiled last */
  const WCHAR* pszErrText; /**< after a failed compile or lookup: the symbol, name or text of the error */
  LONG* pnConstant;        /**< during a compile: the caller's constant flag */
  ExprOperand* pLValue;    /**< during a compile: the current l-value candidate */
  LONG bXRef;              /**< nonzero while cross-references are recorded */
  LONG nXRefSeq;           /**< the sequence number of the next cross-reference record */
  BT hXRefTree;            /**< the cross-reference records (ExprXRefEntry) */
  DA hXRefList;       /**< per modified symbol, the start indexes of its modifiers, each list ending in -1 */
  LONG* pStack;       /**< the value stack: instruction indexes */
  LONG nStackDepth;   /**< entries on the value stack */
  LONG nStackSize;    /**< the value stack's capacity in entries */
  LONG nActExpr;      /**< the start index of the last compile; EXPR_NONE before any */
  SymContext scanner; /**< the embedded scanner */
  void* pUser;        /**< the host's pointer (ExprSetUserPtr) */
  WCHAR* pszTerminators;  /**< the context's copy of ExprInit's terminators, or null */
  LONG bPrefetch;         /**< nonzero: a compile fetches the first symbol itself */
  LONG_PTR nCbArg1;       /**< the first argument of every scanner callback */
  void* pCbArg2;          /**< when set: also the external scanner context */
  ExprScanFn pfnNextSym;  /**< advances the host's scanner, or null */
  ExprScanFn pfnGetSym;   /**< the host scanner's current symbol code, or null */
  ExprScanFn pfnGetAlpha; /**< the host scanner's current symbol text, or null */
} ExprContext;

/** Sets up a context.  Arguments 2 to 5 go to SymInit unchanged (the
   longest identifier and literal text, case folding of keywords, the
   dialect); a nonzero bUpperCaseKeywords also makes symbol names
   case-insensitive.  pszTerminators: characters that may end an expression
   besides the end of the text (copied), or null.  bPrefetch: nonzero makes
   each compile fetch the expression's first symbol itself (always wanted
   with the embedded scanner).  pfnNextSym, pfnGetSym, pfnGetAlpha: a
   scanner of the host's own, called with (nCbArg1, pCbArg2); null uses the
   embedded scanner.  pCbArg2, when not null, must be a SymContext the
   compiler reads literal values from.  Returns 0, or 0x8007000E (nothing
   is left allocated then).
   ExprInit does not clear the record first: fields it does not set
   (pszErrText, nCurType, pnConstant, pLValue, nXRefSeq) keep what the
   memory held.  Clear the record (memset to 0, or `ExprContext ctx = {0};`)
   before ExprInit, and read pszErrText only after a compile failure whose
   code sets it (all but 0xC0040400 and 0x8007000E). */
DWORD QEL_STDCALL ExprInit(ExprContext* pCtx, ULONG nMaxIdentLen, ULONG nMaxAlphaLen,
                           ULONG bUpperCaseKeywords, LONG nMode, const WCHAR* pszTerminators, LONG bPrefetch,
                           ExprScanFn pfnNextSym, ExprScanFn pfnGetSym, ExprScanFn pfnGetAlpha,
                           LONG_PTR nCbArg1, void* pCbArg2);
/** Frees everything the context owns (not the host's variables or names);
   the record may then be initialised again.  Returns 0. */
DWORD QEL_STDCALL ExprRelease(ExprContext* pCtx);

/** Defines a variable: the expressions read and write *pValue, of type
   nType (EXT_), in place; for EXT_String and EXT_Date pValue is a TS or TD
   handle.  The name is not copied.  Returns 0, 0x8002802D when the name is
   already defined, or 0x8007000E. */
DWORD QEL_STDCALL ExprDefineVar(ExprContext* pCtx, void* pValue, const WCHAR* pszName, LONG nType);
/** As ExprDefineVar, for a value the expressions read but never assign. */
DWORD QEL_STDCALL ExprDefineConst(ExprContext* pCtx, void* pValue, const WCHAR* pszName, LONG nType);
/** Defines a host function (an ExprFunction) of result type nResultType and
   nArgs arguments, whose type codes (LONG, EXT_Unknown for any) follow.
   The name is not copied.  Results as ExprDefineVar. */
DWORD QEL_CDECL ExprDefineFn(ExprContext* pCtx, void* pfnFunction, const WCHAR* pszName, LONG nResultType,
                             LONG nArgs, ...);

/** The descriptor of a defined name (any kind), or null with pszErrText set
   to the name. */
ExprOperand* QEL_STDCALL ExprLookUp(ExprContext* pCtx, const WCHAR* pszName);
/** As ExprLookUp, for variables only (EXS_Plain): null for a constant or a
   function. */
ExprOperand* QEL_STDCALL ExprVarLookUp(ExprContext* pCtx, const WCHAR* pszName);
/** Walks every symbol in name order: returns a name and sets *ppOperand to
   its descriptor; *ppPosition carries the walk from one call to the next.
   Null after the last. */
/** @{ */
const WCHAR* QEL_STDCALL ExprGetFirstVar(ExprContext* pCtx, ExprOperand** ppOperand, void** ppPosition);
const WCHAR* QEL_STDCALL ExprGetNextVar(ExprContext* pCtx, ExprOperand** ppOperand, void** ppPosition);
/** @} */

/** The host's pointer, kept in the context and never used by the library. */
void* QEL_STDCALL ExprGetUserPtr(ExprContext* pCtx);
/** Sets the host's pointer; returns the previous one. */
void* QEL_STDCALL ExprSetUserPtr(ExprContext* pCtx, void* pUser);

/** Compiles pszExpr and appends its code; *pnStart receives its start index.
   nRequiredType 0 keeps the expression's own type, another EXT_ type
   converts the result to it.  *pbConstant (if given) becomes 1 when the
   expression uses literals only (no defined name), else 0; *pnResultType
   (if given) receives its type.
   Returns 0, a compile error 0xC00404xx (ExprGetColNo and ExprGetErrLen
   locate it, pszErrText names it for all but 0xC0040400), 0x8002000E for
   a call with the wrong number of arguments, or 0x8007000E. */
DWORD QEL_STDCALL ExprCompile(ExprContext* pCtx, const WCHAR* pszExpr, LONG* pnStart, LONG nRequiredType,
                              LONG* pbConstant, LONG* pnResultType);

/** Runs the expression at nStart (-1: the whole code array); its result is
   then on top of the value stack, to be taken with ExprPopResult.  nHostArg
   goes to every host function.  Returns 0, 0x80020012 (division by zero),
   0x8002000B (an index out of range), 0x80004001, 0x8000FFFF or 0x8007000E;
   after a failure the stack holds what stood below the failing operator's
   operands. */
DWORD QEL_STDCALL ExprEvaluate(ExprContext* pCtx, LONG nStart, LONG_PTR nHostArg);
/** As ExprPopResult, and stores the value's type at *pnType (if given): for
   host functions declared with EXT_Unknown arguments. */
void* QEL_STDCALL ExprPopArgument(ExprContext* pCtx, LONG* pnType);
/** Takes the top of the value stack: the address of its value (a TS or TD
   handle for strings and dates), which the context owns; valid until the
   next compile or ExprRelease, the value until the next evaluation.  The
   caller must know that the stack is not empty. */
void* QEL_STDCALL ExprPopResult(ExprContext* pCtx);

/** The index in the expression text just past the current symbol. */
ULONG QEL_STDCALL ExprGetColNo(ExprContext* pCtx);
/** The length of the current symbol's text: with ExprGetColNo, the span to
   mark in the expression after a failed compile. */
ULONG QEL_STDCALL ExprGetErrLen(ExprContext* pCtx);
/** The start index of the last compile (EXPR_NONE before any). */
LONG QEL_STDCALL ExprGetActExpr(ExprContext* pCtx);

/** Starts recording which expressions modify which variables (anew).
   Calling order: ExprXRefOn, compile the set, ExprXRefOff, ExprXRef; then
   reading a variable first runs the earlier expressions that modify it.
   Returns 0 or 0x8007000E. */
DWORD QEL_STDCALL ExprXRefOn(ExprContext* pCtx);
/** Stops recording cross-references. */
void QEL_STDCALL ExprXRefOff(ExprContext* pCtx);
/** Builds the lists of modifiers from the records; returns 0. */
DWORD QEL_STDCALL ExprXRef(ExprContext* pCtx);

QEL_END_DECLS

#endif
