// The opcode dispatch: the table of handlers, the picture comments and the
// loop that hands every opcode of the picture to its handler.
#ifndef PICTTOTOV_DISPATCH_DISPATCH_H
#define PICTTOTOV_DISPATCH_DISPATCH_H

#include "pict/pict.h"

// Builds the run's opcode table; CleanupOperators frees it after the loop.
void initoperators();
void CleanupOperators();
// Under -full: puts the clip, region and direct-colour handlers into the
// table.
void InstallFullOperators();

// Calls the handler of every opcode until the end-of-picture opcode; the
// version 2 header opcode is read here, against the picture's frame.
void ConvertOpcodes(const Rect &frame);

// Back to the process-start state, for a process that converts more than
// one picture: no opcode table, no long-comment buffer.
void ResetDispatch();

#endif  // PICTTOTOV_DISPATCH_DISPATCH_H
