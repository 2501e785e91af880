// Object groups: the stack of open groups, their member counts, and the
// Group statement written when a group with two or more members ends.
#include <cstdint>

#include "base/conversion.h"
#include "base/messages.h"
#include "graphics/graphics.h"

int16_t GroupID = 0;

namespace {

// One open group; the innermost is on top of the stack.
struct Node {
  int32_t count;  // members written while this group was the innermost
  Node *next;     // the enclosing group, null for the outermost
};

Node *stack = nullptr;

Node *makeNode() { return static_cast<Node *>(V_Calloc(1, sizeof(Node), 0)); }

// Opens a group node. Without memory the begin is dropped when no group is
// open, but with groups open the enclosing groups would come out wrong, so
// the run ends.
int PushGroup() {
  Node *node = makeNode();
  if (node == nullptr) {
    if (stack == nullptr) return -1;
    Fatal(kMsgNoMemory);
  }
  node->next = stack;
  stack = node;
  return 0;
}

int PopGroup() {
  if (stack == nullptr) return -1;
  Node *top = stack;
  stack = top->next;
  V_Free(top);
  return 0;
}

void stepGroupIDBack() {
  GroupID = static_cast<int16_t>(static_cast<uint16_t>(GroupID) - 1u);
}

}  // namespace

void BeginGroup() {
  GroupID = static_cast<int16_t>(static_cast<uint16_t>(GroupID) + 1u);
  PushGroup();
}

// Closes the innermost group. A group of two or more members is written
// after them and becomes a member of the enclosing group; a smaller one
// leaves its member, if any, ungrouped in the document. Either way GroupID
// returns to the enclosing group's number. An end without an open group is
// ignored.
void EndGroup() {
  if (stack == nullptr) return;
  if (!GroupNotEmpty()) {
    PopGroup();
    stepGroupIDBack();
    return;
  }
  V_Printf(outputFP, "<Group \n");
  V_Printf(outputFP, "\t<ID %hd>\n", GroupID);
  stepGroupIDBack();
  if (GroupID != 0) V_Printf(outputFP, "\t<GroupID %hd>\n", GroupID);
  V_Printf(outputFP, ">\n");
  PopGroup();
  IncrementGroupCount();
}

void IncrementGroupCount() {
  if (stack != nullptr)
    stack->count =
        static_cast<int32_t>(static_cast<uint32_t>(stack->count) + 1u);
}

void ResetGroups() {
  while (PopGroup() == 0) {
  }
  GroupID = 0;
}

int GroupNotEmpty() { return stack != nullptr && stack->count > 1; }
