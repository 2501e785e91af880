// Arcs and wedges: a rectangle-bounded shape with a start angle and an
// extent, both in QuickDraw's degrees (from 12 o'clock, clockwise), which
// TOV takes unchanged.
#include <cstdint>

#include "base/conversion.h"
#include "graphics/graphics.h"
#include "pict/pict.h"

namespace {

constexpr uint16_t kFrameSameArc = 0x68;

ShapeMemory arcMemory;
int16_t StartAngle = 0;
int16_t ArcAngle = 0;

void readAngles() {
  ReadShort(&StartAngle);
  ReadShort(&ArcAngle);
}

void writeArc(int penKind, int fillKind) {
  V_Printf(outputFP, "<Arc\n");
  DumpState(penKind, fillKind);
  DumpShapeBounds("ArcRect", arcMemory);
  V_Printf(outputFP, "\t<ArcTheta %hd>\n", StartAngle);
  V_Printf(outputFP, "\t<ArcDTheta %hd>\n", ArcAngle);
  V_Printf(outputFP, "\t<HeadCap Butt>\n");
  V_Printf(outputFP, "\t<TailCap Butt>\n");
  V_Printf(outputFP, ">\n");
  IncrementGroupCount();
}

void dumparc(int penKind, int fillKind) {
  ReadShapeBounds(&arcMemory);
  readAngles();
  if (ShapeWritable(&arcMemory, penKind, fillKind, kFrameSameArc))
    writeArc(penKind, fillKind);
}

// The last arc's box with the angles of this opcode.
void dumpsamearc(int penKind, int fillKind) {
  readAngles();
  if (!ValidPen()) return;
  writeArc(penKind, TakeDeferredFill(&arcMemory, fillKind));
}

}  // namespace

void ResetArcs() {
  arcMemory = ShapeMemory{};
  StartAngle = ArcAngle = 0;
}

void op_frameArc() { dumparc(0, 3); }
void op_paintArc() { dumparc(3, 0); }
void op_eraseArc() { dumparc(3, 2); }
void op_fillArc() { dumparc(3, 1); }
void op_frameSameArc() { dumpsamearc(0, 3); }
void op_paintSameArc() { dumpsamearc(3, 0); }
void op_eraseSameArc() { dumpsamearc(3, 2); }
void op_fillSameArc() { dumpsamearc(3, 1); }
