/* Control identifiers of the library's dialogs, written once: the resource
   script and the C++ code both include this file, so it holds preprocessor
   definitions only. The value and label controls come in runs of five. */
#pragma once

#define CIS_ID_SHOW 257     /* "表示(&V)" */
#define CIS_ID_SELECTOR 273 /* entry numbers of a selector viewer */
#define CIS_ID_VALUE1 289   /* value edit controls 289-293 */
#define CIS_ID_VALUE2 290
#define CIS_ID_VALUE3 291
#define CIS_ID_VALUE4 292
#define CIS_ID_VALUE5 293
#define CIS_ID_TUPLE_LIST 305 /* the tuple list dialog's list box */
#define CIS_ID_LIST1 306
#define CIS_ID_ITEM_LIST 307 /* sub-items of the configuration viewers */
#define CIS_ID_SELECTOR_LABEL 320
#define CIS_ID_LABEL1 321 /* label edit controls 321-325 */
#define CIS_ID_LABEL2 322
#define CIS_ID_LABEL3 323
#define CIS_ID_LABEL4 324
#define CIS_ID_LABEL5 325
#define CIS_ID_HEX_HEADER 330
#define CIS_ID_HEX_ROWS 331
