// Arcs and wedges: a rectangle-bounded shape with a start angle and an
// extent, both in QuickDraw's degrees (from 12 o'clock, clockwise), which
// TOV takes unchanged.
#include <cstdint>

#include "base/conversion.h"
#include "graphics/clip.h"
#include "graphics/graphics.h"
#include "graphics/shapes.h"
#include "graphics/state.h"
#include "pict/pict.h"

namespace {

constexpr uint16_t kFrameSameArc = 0x68;

// The last arc's box, and the angles of the last arc opcode.
struct Arcs {
  ShapeMemory arcMemory;
  int16_t StartAngle = 0;
  int16_t ArcAngle = 0;
};
Arcs arcs;

void readAngles() {
  ReadShort(&arcs.StartAngle);
  ReadShort(&arcs.ArcAngle);
}

void writeArc(int penKind, int fillKind) {
  if (ClipInForce() && ClipArcObject(arcs.arcMemory, arcs.StartAngle,
                                     arcs.ArcAngle, penKind, fillKind))
    return;
  OpenObject(Statement::kArc, penKind, fillKind);
  DumpShapeBounds("ArcRect", arcs.arcMemory);
  static constexpr StatementPlan kAnglesAndCaps = PlanStatement(
      "\t<ArcTheta %hd>\n\t<ArcDTheta %hd>\n"
      "\t<HeadCap Butt>\n\t<TailCap Butt>\n");
  V_WriteStatement<kAnglesAndCaps>(outputFP, int{arcs.StartAngle},
                                   int{arcs.ArcAngle});
  CloseObject();
}

void dumparc(int penKind, int fillKind) {
  ReadShapeBounds(&arcs.arcMemory);
  readAngles();
  if (ShapeWritable(&arcs.arcMemory, penKind, fillKind, kFrameSameArc))
    writeArc(penKind, fillKind);
}

// The last arc's box with the angles of this opcode.
void dumpsamearc(int penKind, int fillKind) {
  readAngles();
  if (!ValidPen()) return;
  writeArc(penKind, TakeDeferredFill(&arcs.arcMemory, fillKind));
}

}  // namespace

void ResetArcs() { arcs = Arcs{}; }

void op_frameArc() { dumparc(0, 3); }
void op_paintArc() { dumparc(3, 0); }
void op_eraseArc() { dumparc(3, 2); }
void op_fillArc() { dumparc(3, 1); }
void op_frameSameArc() { dumpsamearc(0, 3); }
void op_paintSameArc() { dumpsamearc(3, 0); }
void op_eraseSameArc() { dumpsamearc(3, 2); }
void op_fillSameArc() { dumpsamearc(3, 1); }
