// The opcode dispatch: the table of handlers, the picture comments and the
// loop that hands every opcode of the picture to its handler.
#ifndef PICTTOTOV_DISPATCH_DISPATCH_H
#define PICTTOTOV_DISPATCH_DISPATCH_H

#include <cstdint>

#include "pict/pict.h"

// The opcode table: 256 handler slots indexed by opcode.
using Handler = void (*)();
extern Handler *Operators;
void initoperators();
void CleanupOperators();  // frees the table; nothing to do without one
// Under -full: puts the region and direct-colour handlers into the table.
void InstallFullOperators();

// Calls the handler of every opcode until the end-of-picture opcode; the
// version 2 header opcode is read here, against the picture's frame.
void ConvertOpcodes(const Rect &frame);

void op_opEndPic();
void op_ShortComment();
void op_LongComment();

#endif  // PICTTOTOV_DISPATCH_DISPATCH_H
