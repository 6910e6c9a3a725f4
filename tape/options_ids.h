/* Control ids of the options dialog, shared by the resource script and the code. */
#pragma once

#define OX_TAPE_DLG_OPTIONS 102
#define OX_TAPE_ID_SAVE 102
#define OX_TAPE_ID_CANCEL 2
#define OX_TAPE_ID_ABOUT 101
#define OX_TAPE_ID_DECIMAL 1008
#define OX_TAPE_ID_VARIABLE_GAP 1010
#define OX_TAPE_ID_CONFIG_PATH 1004
#define OX_TAPE_ID_HINT 1011
#define OX_TAPE_ID_PREFIX_FIRST 1015 /* 1015 to 1020: FieldPrefix 0 to 5 */
