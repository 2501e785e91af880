// Rectangles, rounded rectangles and ovals, and the pieces every
// rectangle-bounded shape writer shares.
#include <cstdint>

#include "base/conversion.h"
#include "graphics/clip.h"
#include "graphics/graphics.h"
#include "graphics/shapes.h"
#include "graphics/state.h"
#include "pict/pict.h"

// The box of a shape in TOV points: picture coordinates plus the origin,
// scaled, then moved inside the pen.
void ReadShapeBounds(ShapeMemory *memory) {
  Rect rect;
  ReadRect(&rect);
  memory->fx1 = ToPointsX(rect.x);
  memory->fy1 = ToPointsY(rect.y);
  memory->fx2 = ToPointsX(rect.x + rect.width);
  memory->fy2 = ToPointsY(rect.y + rect.height);
  AdjustForLineWidth(&memory->fx1, &memory->fy1, &memory->fx2, &memory->fy2);
}

// A picture paints or fills a shape and frames the same shape right after;
// TOV draws both with one object, so the fill waits for the frame.
int ShapeWritable(ShapeMemory *memory, int penKind, int fillKind,
                  uint16_t frameSameOpcode) {
  if (!ValidPen()) return 0;
  uint16_t next = 0;
  PeekNextOpcode(&next);
  if (penKind == 3 && next == frameSameOpcode) {
    memory->SavedFill = fillKind;
    return 0;
  }
  return 1;
}

int TakeDeferredFill(ShapeMemory *memory, int fillKind) {
  if (memory->SavedFill != 3 && fillKind == 3) fillKind = memory->SavedFill;
  memory->SavedFill = 3;
  return fillKind;
}

void DumpShapeBounds(const char *statement, const ShapeMemory &memory) {
  float width = memory.fx2 - memory.fx1;
  float height = memory.fy2 - memory.fy1;
  static constexpr StatementPlan kBounds =
      PlanStatement("\t<%s %.3f %.3f %.3f %.3f>\n");
  V_WriteStatement<kBounds>(
      outputFP, statement, static_cast<double>(memory.fx1),
      static_cast<double>(memory.fy1), static_cast<double>(width),
      static_cast<double>(height));
}

namespace {

// What tells the three shape types apart.
struct ShapeType {
  Statement statement;       // the TOV object
  uint16_t frameSameOpcode;  // the opcode that frames the last shape again
  bool hasRadius;            // rounded rectangles carry the corner size
};

constexpr ShapeType kRectangle{Statement::kRectangle, 0x38, false};
constexpr ShapeType kRoundRect{Statement::kRoundRect, 0x48, true};
constexpr ShapeType kEllipse{Statement::kEllipse, 0x58, false};

// Each shape type remembers its own last box.
struct Shapes {
  ShapeMemory rectMemory;
  ShapeMemory roundRectMemory;
  ShapeMemory ovalMemory;
};
Shapes shapes;

void writeShape(const ShapeType &type, const ShapeMemory &memory, int penKind,
                int fillKind) {
  if (ClipInForce() && ClipBoxObject(type.statement, memory, penKind, fillKind))
    return;
  OpenObject(type.statement, penKind, fillKind);
  DumpShapeBounds("BRect", memory);
  if (type.hasRadius) {
    float radius = 0.0f;
    GetOvalSize(&radius);
    static constexpr StatementPlan kRadius = PlanStatement("\t<Radius %.3f>\n");
    V_WriteStatement<kRadius>(outputFP, static_cast<double>(radius));
  }
  CloseObject();
}

// A shape opcode with its rectangle operand.
void dumpshape(const ShapeType &type, ShapeMemory *memory, int penKind,
               int fillKind) {
  ReadShapeBounds(memory);
  if (ShapeWritable(memory, penKind, fillKind, type.frameSameOpcode))
    writeShape(type, *memory, penKind, fillKind);
}

// A Same opcode: the shape type's last box again.
void dumpsameshape(const ShapeType &type, ShapeMemory *memory, int penKind,
                   int fillKind) {
  if (!ValidPen()) return;
  writeShape(type, *memory, penKind, TakeDeferredFill(memory, fillKind));
}

}  // namespace

void ResetShapes() { shapes = Shapes{}; }

namespace {

void dumprect(int penKind, int fillKind) {
  dumpshape(kRectangle, &shapes.rectMemory, penKind, fillKind);
}
void dumpsamerect(int penKind, int fillKind) {
  dumpsameshape(kRectangle, &shapes.rectMemory, penKind, fillKind);
}
void dumproundrect(int penKind, int fillKind) {
  dumpshape(kRoundRect, &shapes.roundRectMemory, penKind, fillKind);
}
void dumpsameroundrect(int penKind, int fillKind) {
  dumpsameshape(kRoundRect, &shapes.roundRectMemory, penKind, fillKind);
}
void dumpellipse(int penKind, int fillKind) {
  dumpshape(kEllipse, &shapes.ovalMemory, penKind, fillKind);
}
void dumpsamellipse(int penKind, int fillKind) {
  dumpsameshape(kEllipse, &shapes.ovalMemory, penKind, fillKind);
}

}  // namespace

void op_frameRect() { dumprect(0, 3); }
void op_paintRect() { dumprect(3, 0); }
void op_eraseRect() { dumprect(3, 2); }
void op_fillRect() { dumprect(3, 1); }
void op_frameSameRect() { dumpsamerect(0, 3); }
void op_paintSameRect() { dumpsamerect(3, 0); }
void op_eraseSameRect() { dumpsamerect(3, 2); }
void op_fillSameRect() { dumpsamerect(3, 1); }

void op_frameRRect() { dumproundrect(0, 3); }
void op_paintRRect() { dumproundrect(3, 0); }
void op_eraseRRect() { dumproundrect(3, 2); }
void op_fillRRect() { dumproundrect(3, 1); }
void op_frameSameRRect() { dumpsameroundrect(0, 3); }
void op_paintSameRRect() { dumpsameroundrect(3, 0); }
void op_eraseSameRRect() { dumpsameroundrect(3, 2); }
void op_fillSameRRect() { dumpsameroundrect(3, 1); }

void op_frameOval() { dumpellipse(0, 3); }
void op_paintOval() { dumpellipse(3, 0); }
void op_eraseOval() { dumpellipse(3, 2); }
void op_fillOval() { dumpellipse(3, 1); }
void op_frameSameOval() { dumpsamellipse(0, 3); }
void op_paintSameOval() { dumpsamellipse(3, 0); }
void op_eraseSameOval() { dumpsamellipse(3, 2); }
void op_fillSameOval() { dumpsamellipse(3, 1); }
