// Private to the graphics subsystem: what the rectangle, rounded-rectangle,
// oval, arc, polygon and region writers share about a shape's box and its
// deferred fill.
#ifndef PICTTOTOV_GRAPHICS_SHAPES_H
#define PICTTOTOV_GRAPHICS_SHAPES_H

#include <cstdint>

// One shape type's last bounds (left, top, right, bottom in TOV points,
// scaled and pen-adjusted), which its Same opcodes redraw, and its fill kind
// held back for a frame-same opcode that follows at once (3 when none is
// held).
struct ShapeMemory {
  float fx1 = 0.0f;
  float fy1 = 0.0f;
  float fx2 = 0.0f;
  float fy2 = 0.0f;
  int32_t SavedFill = 3;
};
// Reads a rectangle operand into the shape's bounds.
void ReadShapeBounds(ShapeMemory *memory);
// 1 if a shape just read is to be written now; 0 if the pen draws nothing,
// or if a fill without outline is held back because the next opcode is
// frameSameOpcode, which then writes fill and outline as one object.
int ShapeWritable(ShapeMemory *memory, int penKind, int fillKind,
                  uint16_t frameSameOpcode);
// The fill kind a Same opcode writes: a held-back fill replaces "none".
// Releases the held-back fill.
int TakeDeferredFill(ShapeMemory *memory, int fillKind);
// Writes "\t<statement x y width height>\n" for the shape's bounds.
void DumpShapeBounds(const char *statement, const ShapeMemory &memory);

#endif  // PICTTOTOV_GRAPHICS_SHAPES_H
