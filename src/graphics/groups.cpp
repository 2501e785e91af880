// Object groups: the stack of open groups, their member counts, and the
// Group statement written when a group with two or more members ends.
#include <cstdint>

#include "base/conversion.h"
#include "base/messages.h"
#include "graphics/graphics.h"
#include "graphics/state.h"
#include "runtime/buffer.h"

namespace {

// The open groups, outermost first: the members written while each was the
// innermost. Its block grows with the nesting; PushGroup decides what a
// failure to grow means.
struct GroupStack {
  GrowableBuffer<int32_t> counts{nullptr};
  uint32_t depth = 0;
};
GroupStack groups;

// Opens a group. Without memory the begin is dropped when no group is open,
// but with groups open the enclosing groups would come out wrong, so the
// run ends.
int PushGroup() {
  if (!groups.counts.Reserve(groups.depth + 1)) {
    if (groups.depth == 0) return -1;
    FatalNoMemory();
  }
  groups.counts.data()[groups.depth++] = 0;
  return 0;
}

int PopGroup() {
  if (groups.depth == 0) return -1;
  --groups.depth;
  return 0;
}

// 1 if the innermost group has two or more members.
int GroupNotEmpty() {
  return groups.depth > 0 && groups.counts.data()[groups.depth - 1] > 1;
}

// GroupID wraps around in 16 bits.
void stepGroupID(int step) {
  State.GroupID =
      static_cast<int16_t>(static_cast<uint16_t>(State.GroupID + step));
}

}  // namespace

void BeginGroup() {
  stepGroupID(+1);
  PushGroup();
}

// Closes the innermost group. A group of two or more members is written
// after them and becomes a member of the enclosing group; a smaller one
// leaves its member, if any, ungrouped in the document. Either way GroupID
// returns to the enclosing group's number. An end without an open group is
// ignored.
void EndGroup() {
  if (groups.depth == 0) return;
  if (!GroupNotEmpty()) {
    PopGroup();
    stepGroupID(-1);
    return;
  }
  V_Printf(outputFP, "<Group \n");
  static constexpr StatementPlan kID = PlanStatement("\t<ID %hd>\n");
  V_WriteStatement<kID>(outputFP, int{State.GroupID});
  stepGroupID(-1);
  if (State.GroupID != 0)
    V_WriteStatement<kGroupIDStatement>(outputFP, int{State.GroupID});
  V_WriteStatement<kCloseStatement>(outputFP);
  PopGroup();
  IncrementGroupCount();
}

void IncrementGroupCount() {
  if (groups.depth == 0) return;
  int32_t &count = groups.counts.data()[groups.depth - 1];
  count = static_cast<int32_t>(static_cast<uint32_t>(count) + 1u);
}

void ResetGroupStack() { groups = GroupStack{}; }
