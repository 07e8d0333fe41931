/*
 * Expr: expressions compiled against the host's own variables, constants
 * and functions, and evaluated on a stack of instruction indexes.
 */
#ifndef QELBASE_EXPRESSION_H
#define QELBASE_EXPRESSION_H

#include "containers/BalancedTree.h"
#include "containers/DynArray.h"
#include "expr/Opcodes.h"
#include "frame/QELBaseDefs.h"
#include "scanner/Symbol.h"

QEL_BEGIN_DECLS

/* Value types. */
#define EXT_Void 0
#define EXT_Char 1     /* WCHAR */
#define EXT_Long 2     /* LONG */
#define EXT_ULong 3    /* ULONG */
#define EXT_Double 4   /* double */
#define EXT_BitField 5 /* ExprBitField */
#define EXT_String 6   /* the value pointer is a TS handle */
#define EXT_Date 7     /* the value pointer is a TD handle */
#define EXT_Unknown 8  /* in an argument-type list: any type */

/* Storage classes. */
#define EXS_Plain 0    /* pool slot, or the host's own storage */
#define EXS_String 1   /* string object owned by the context */
#define EXS_BitField 2 /* 8-byte block owned by the context */
#define EXS_Date 3     /* date/time object owned by the context */
#define EXS_Function 4
#define EXS_Constant 5 /* never assignable */

/* The start index of a context in which nothing has been compiled yet. */
#define EXPR_NONE ((LONG)0x80000000)

typedef struct ExprBitField {
  ULONG ulHigh; /* bits 63..32 */
  ULONG ulLow;  /* bits 31..0 */
} ExprBitField;

typedef struct ExprOperand {
  void* pValue; /* for a function: its address */
  LONG nType;   /* for a function: its result type */
  LONG nStorage;
  LONG nLink; /* function: first argument type; else cross-reference list entry or -1 */
  LONG nUses; /* times compiled as an operand */
} ExprOperand;

typedef struct ExprSymbol {
  const WCHAR* pszName; /* the host's text, not copied */
  ExprOperand op;
} ExprSymbol;

typedef struct ExprInstr {
  LONG nOpcode;
  ExprOperand op; /* the operand pushed, or the operator's result slot */
} ExprInstr;

typedef struct ExprXRefEntry {
  ExprOperand* pOperand; /* the modified symbol's descriptor */
  LONG nSeq;
  LONG nExpr; /* start index of the modifying expression */
} ExprXRefEntry;

struct ExprContext;

/* Scanner callbacks: advance (result ignored), current symbol code, current
   symbol text (a WCHAR pointer). */
typedef LONG_PTR(QEL_CDECL* ExprScanFn)(LONG_PTR nArg1, void* pArg2);
/* A host function; the real type returns the declared result type by value. */
typedef void(QEL_CDECL* ExprFunction)(struct ExprContext* pCtx, LONG_PTR nHostArg);

typedef struct ExprContext {
  BYTE* pPool;
  ULONG nPoolSize;
  ULONG nPoolUsed;
  BT hSymbols;
  DA hCode;
  DA hArgTypes;
  LONG nCurType;
  const WCHAR* pszErrText;
  LONG* pnConstant;
  ExprOperand* pLValue;
  LONG bXRef;
  LONG nXRefSeq;
  BT hXRefTree;
  DA hXRefList;
  LONG* pStack;
  LONG nStackDepth;
  LONG nStackSize;
  LONG nActExpr;
  SymContext scanner;
  void* pUser;
  WCHAR* pszTerminators;
  LONG bPrefetch;
  LONG_PTR nCbArg1;
  void* pCbArg2; /* when set: also the external scanner context */
  ExprScanFn pfnNextSym;
  ExprScanFn pfnGetSym;
  ExprScanFn pfnGetAlpha;
} ExprContext;

/* Arguments 2 to 5 go to SymInit unchanged; a nonzero bUpperCaseKeywords
   also makes symbol names case-insensitive.  Null callbacks use the
   embedded scanner.
   ExprInit does not clear the record first: fields it does not set
   (pszErrText, nCurType, pnConstant, pLValue, nXRefSeq) keep what the
   memory held.  Clear the record (memset to 0, or `ExprContext ctx = {0};`)
   before ExprInit, and read pszErrText only after a compile failure whose
   code sets it (all but 0xC0040400 and 0x8007000E). */
DWORD QEL_STDCALL ExprInit(ExprContext* pCtx, ULONG nMaxIdentLen, ULONG nMaxAlphaLen,
                           ULONG bUpperCaseKeywords, LONG nMode, const WCHAR* pszTerminators, LONG bPrefetch,
                           ExprScanFn pfnNextSym, ExprScanFn pfnGetSym, ExprScanFn pfnGetAlpha,
                           LONG_PTR nCbArg1, void* pCbArg2);
DWORD QEL_STDCALL ExprRelease(ExprContext* pCtx);

/* 0, 0x8002802D when the name exists, or 0x8007000E. */
DWORD QEL_STDCALL ExprDefineVar(ExprContext* pCtx, void* pValue, const WCHAR* pszName, LONG nType);
DWORD QEL_STDCALL ExprDefineConst(ExprContext* pCtx, void* pValue, const WCHAR* pszName, LONG nType);
/* Followed by nArgs argument type codes (LONG). */
DWORD QEL_CDECL ExprDefineFn(ExprContext* pCtx, void* pfnFunction, const WCHAR* pszName, LONG nResultType,
                             LONG nArgs, ...);

ExprOperand* QEL_STDCALL ExprLookUp(ExprContext* pCtx, const WCHAR* pszName);
ExprOperand* QEL_STDCALL ExprVarLookUp(ExprContext* pCtx, const WCHAR* pszName);
/* Walks every symbol in name order; null after the last. */
const WCHAR* QEL_STDCALL ExprGetFirstVar(ExprContext* pCtx, ExprOperand** ppOperand, void** ppPosition);
const WCHAR* QEL_STDCALL ExprGetNextVar(ExprContext* pCtx, ExprOperand** ppOperand, void** ppPosition);

void* QEL_STDCALL ExprGetUserPtr(ExprContext* pCtx);
void* QEL_STDCALL ExprSetUserPtr(ExprContext* pCtx, void* pUser);

/* Appends the expression's code; *pnStart receives its first index.
   nRequiredType 0 keeps the expression's own type. */
DWORD QEL_STDCALL ExprCompile(ExprContext* pCtx, const WCHAR* pszExpr, LONG* pnStart, LONG nRequiredType,
                              LONG* pbConstant, LONG* pnResultType);

/* Runs the expression at nStart (-1: the whole code array); its result is
   then on top of the value stack.  nHostArg goes to every host function. */
DWORD QEL_STDCALL ExprEvaluate(ExprContext* pCtx, LONG nStart, LONG_PTR nHostArg);
/* Take the top of the value stack: its value pointer (and type). */
void* QEL_STDCALL ExprPopArgument(ExprContext* pCtx, LONG* pnType);
void* QEL_STDCALL ExprPopResult(ExprContext* pCtx);

/* Where the scanner stands: just past the current symbol, its length, and
   the start index of the last compile. */
ULONG QEL_STDCALL ExprGetColNo(ExprContext* pCtx);
ULONG QEL_STDCALL ExprGetErrLen(ExprContext* pCtx);
LONG QEL_STDCALL ExprGetActExpr(ExprContext* pCtx);

/* Cross-references: ExprXRefOn, compile the set, ExprXRefOff, ExprXRef;
   then reading a variable first runs the earlier expressions that modify it. */
DWORD QEL_STDCALL ExprXRefOn(ExprContext* pCtx);
void QEL_STDCALL ExprXRefOff(ExprContext* pCtx);
DWORD QEL_STDCALL ExprXRef(ExprContext* pCtx);

QEL_END_DECLS

#endif
