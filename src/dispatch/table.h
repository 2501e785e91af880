// The dispatch's state, shared by its files (and its tests): the opcode
// table of the run and the buffer of the long-comment payloads.
#ifndef PICTTOTOV_DISPATCH_TABLE_H
#define PICTTOTOV_DISPATCH_TABLE_H

#include <cstdint>

#include "base/messages.h"
#include "runtime/buffer.h"

// A handler takes no arguments: it reads its own operands.
using Handler = void (*)();
// The opcode table has a slot for each opcode 0x00 to 0xFF.
constexpr uint16_t kTableSlots = 256;

struct DispatchState {
  // The opcode table: 256 handler slots indexed by opcode, held from
  // initoperators to CleanupOperators.
  GrowableBuffer<Handler> Operators{FatalNoMemory};
  // The payload of the last long comment and a zero byte behind it; it
  // grows with the payloads and lives until the dispatch is reset.
  GrowableBuffer<unsigned char> comment{FatalNoMemory};
};
extern DispatchState Dispatch;

// The comment handlers, which the table holds.
void op_ShortComment();
void op_LongComment();

#endif  // PICTTOTOV_DISPATCH_TABLE_H
