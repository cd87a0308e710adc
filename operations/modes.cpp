/* modes.cpp - the table of operating modes as the dispatch reads it: the
 * operation each mode starts and its complete flag. It lives with the
 * operations so that the dispatch, below them, needs to know only the table. */
#include "operations.h"
#include "setup_ordane.h"

const ModeOperation g_ModeOperations[MODE_COUNT] = {
    {NULL, 0},                   /* show syntax: no operation */
    {RunSetupOperation, 1},      /* complete setup */
    {RunRemovalOperation, 0},    /* simple deletion */
    {RunSetupOperation, 0},      /* simple setup */
    {RunRemovalOperation, 1},    /* complete deletion */
};
