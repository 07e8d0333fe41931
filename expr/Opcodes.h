/** @file
 * The instruction set that the compiler emits and the evaluator runs. */
#ifndef QELBASE_EXPR_OPCODES_H
#define QELBASE_EXPR_OPCODES_H

#define EOP_END 0      /**< end of one expression */
#define EOP_NOP 1      /**< operand push; also "no conversion" in the conversion table */
#define EOP_ASS 2      /**< = */
#define EOP_MULASS 3   /**< *= */
#define EOP_DIVASS 4   /**< /= */
#define EOP_MODASS 5   /**< %= */
#define EOP_ADDASS 6   /**< += */
#define EOP_SUBASS 7   /**< -= */
#define EOP_SHLASS 8   /**< <<= */
#define EOP_SHRASS 9   /**< >>= */
#define EOP_ANDASS 10  /**< &= */
#define EOP_XORASS 11  /**< ^= */
#define EOP_ORASS 12   /**< |= */
#define EOP_LOR 13     /**< || */
#define EOP_LAND 14    /**< && */
#define EOP_OR 15      /**< | */
#define EOP_XOR 16     /**< ^ */
#define EOP_AND 17     /**< & */
#define EOP_EQU 18     /**< == */
#define EOP_NEQ 19     /**< != */
#define EOP_LT 20      /**< < */
#define EOP_GT 21      /**< > */
#define EOP_LEQ 22     /**< <= */
#define EOP_GEQ 23     /**< >= */
#define EOP_SHL 24     /**< << */
#define EOP_SHR 25     /**< >> */
#define EOP_ADD 26     /**< + */
#define EOP_SUB 27     /**< - (binary) */
#define EOP_MUL 28     /**< * */
#define EOP_DIV 29     /**< / */
#define EOP_MOD 30     /**< % */
#define EOP_PREINC 31  /**< ++ before the operand */
#define EOP_PREDEC 32  /**< -- before the operand */
#define EOP_POS 33     /**< + (unary) */
#define EOP_NEG 34     /**< - (unary) */
#define EOP_LNOT 35    /**< ! */
#define EOP_NOT 36     /**< ~ */
#define EOP_DRF 37     /**< * (dereference; not implemented) */
#define EOP_ADR 38     /**< & (address; not implemented) */
#define EOP_POSTINC 39 /**< ++ after the operand */
#define EOP_POSTDEC 40 /**< -- after the operand */
#define EOP_IDX 41     /**< [] (index) */
#define EOP_PAR 42     /**< () (call of a host function) */
#define EOP_DFA 43     /**< the member operator "->" (not implemented) */
#define EOP_IFA 44     /**< the member operator "." (not implemented) */
/** @{ */
/** Conversions, in the rank order that decides which operand is converted. */
#define EOP_TO_CHAR 45     /**< conversion to Char */
#define EOP_TO_LONG 46     /**< conversion to Long */
#define EOP_TO_ULONG 47    /**< conversion to ULong */
#define EOP_TO_BITFIELD 48 /**< conversion to BitField */
#define EOP_TO_DOUBLE 49   /**< conversion to Double */
#define EOP_TO_STRING 50   /**< conversion to String (of a Char) */
/** @} */

/** The highest opcode. */
#define EOP_LAST EOP_TO_STRING

#endif
