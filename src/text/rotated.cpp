// Rotated text. A text-begin picture comment opens a bracket with an angle
// and a justification; the first run inside it fixes the rotation centre
// (its origin, moved by an offset a text-centre comment may give), and every
// run of the bracket is written as a TextLine at that angle, its origin
// rotated about the centre. A text-end comment closes the bracket.
#include <cmath>

#include "base/conversion.h"
#include "graphics/graphics.h"
#include "text/lines.h"
#include "text/text.h"

namespace {

// Justification codes of the text-begin comment; any other value is left.
constexpr int32_t kJustifyCenter = 2;
constexpr int32_t kJustifyRight = 4;

struct RotatedTextState {
  int InRotatedText = 0;  // set between a text-begin and a text-end comment
  int32_t TextAngle = 0;  // degrees, as the Angle statement carries it
  int32_t Justification = 0;
  float TextDeltaX = 0.0f;  // offset of the centre from the first run's origin
  float TextDeltaY = 0.0f;
  float TextRotateX = 0.0f;  // the rotation centre, in points
  float TextRotateY = 0.0f;
  int TextRotateSetOrigin = 0;  // set: the next run fixes the centre
  int FirstTime = 1;            // 0 while a rotated TextLine is open
};

RotatedTextState rotated;

// Closes a rotated TextLine that is still open.
void endRotatedTextLine() {
  if (rotated.FirstTime == 0) {
    V_Printf(outputFP, "'>\n");
    V_Printf(outputFP, "> # end of rotated textline\n\n");
  }
  rotated.FirstTime = 1;
}

}  // namespace

const int &InRotatedText = rotated.InRotatedText;

void ResetRotatedText() {
  rotated.FirstTime = 1;
  rotated.InRotatedText = 0;
}

void ResetRotatedTextState() { rotated = RotatedTextState{}; }

void InitRotatedText(int32_t angle, int32_t justification) {
  rotated.TextAngle = angle;
  rotated.Justification = justification;
  rotated.TextDeltaX = 0.0f;
  rotated.TextDeltaY = 0.0f;
  rotated.FirstTime = 1;
  rotated.InRotatedText = 1;
  rotated.TextRotateSetOrigin = 1;
}

void InitRotatedTextOffset(double dx, double dy) {
  rotated.TextDeltaX = static_cast<float>(dx);
  rotated.TextDeltaY = static_cast<float>(dy);
}

void EndRotatedText() {
  endRotatedTextLine();
  rotated.InRotatedText = 0;
  rotated.TextAngle = 0;
}

// The run is placed by its distance from the centre along the line (d, by
// the justification) and across it (dy), turned by the angle: the terms in
// double precision from single-precision values, the result in single.
void dumprotatedtext(float ox, float oy, const unsigned char *text) {
  if (rotated.TextRotateSetOrigin) {
    rotated.TextRotateX = ox + rotated.TextDeltaX;
    rotated.TextRotateY = oy + rotated.TextDeltaY;
    rotated.TextRotateSetOrigin = 0;
  }
  float dy = oy - rotated.TextRotateY;
  float d = ox - rotated.TextRotateX;
  const char *alignment = "Left";
  if (rotated.Justification == kJustifyCenter) {
    alignment = "Center";
    d = 0.0f;
  } else if (rotated.Justification == kJustifyRight) {
    alignment = "Right";
    d = -(ox - rotated.TextRotateX);
  }
  V_Printf(outputFP, "\t<TLAlignment %s>\n", alignment);
  V_Printf(outputFP, "\t<Angle %d>\n", rotated.TextAngle);
  float r = static_cast<float>(
      static_cast<double>(static_cast<float>(rotated.TextAngle) / 180.0f) *
      M_PI);
  double cosR = std::cos(static_cast<double>(r));
  double sinR = std::sin(static_cast<double>(r));
  float x = static_cast<float>(static_cast<double>(rotated.TextRotateX) +
                               static_cast<double>(d) * cosR +
                               static_cast<double>(dy) * sinR);
  float y = static_cast<float>(static_cast<double>(rotated.TextRotateY) -
                               static_cast<double>(d) * sinR +
                               static_cast<double>(dy) * cosR);
  V_Printf(outputFP, "\t<TLOrigin %.3f %.3f>\n", static_cast<double>(x),
           static_cast<double>(y));
  DumpFontState(0);
  V_Printf(outputFP, "\t<String `");
  WriteSubstring(text);
  rotated.FirstTime = 0;
  endRotatedTextLine();
}
