// Rotated text. A text-begin picture comment opens a bracket with an angle
// and a justification; the first run inside it fixes the rotation centre
// (its origin, moved by an offset a text-centre comment may give), and every
// run of the bracket is written as a TextLine at that angle, its origin
// rotated about the centre. A text-end comment closes the bracket.
#include <cmath>

#include "base/conversion.h"
#include "graphics/graphics.h"
#include "text/text.h"

int InRotatedText = 0;

namespace {

// Justification codes of the text-begin comment; any other value is left.
constexpr int32_t kJustifyCenter = 2;
constexpr int32_t kJustifyRight = 4;

int32_t TextAngle = 0;  // degrees, as the Angle statement carries it
int32_t Justification = 0;
float TextDeltaX = 0.0f;  // offset of the centre from the first run's origin
float TextDeltaY = 0.0f;
float TextRotateX = 0.0f;  // the rotation centre, in points
float TextRotateY = 0.0f;
int TextRotateSetOrigin = 0;  // set: the next run fixes the centre
int FirstTime = 1;            // 0 while a rotated TextLine is open

// Closes a rotated TextLine that is still open.
void endRotatedTextLine() {
  if (FirstTime == 0) {
    V_Printf(outputFP, "'>\n");
    V_Printf(outputFP, "> # end of rotated textline\n\n");
  }
  FirstTime = 1;
}

}  // namespace

void ResetRotatedText() {
  FirstTime = 1;
  InRotatedText = 0;
}

void ResetRotatedTextState() {
  ResetRotatedText();
  TextAngle = 0;
  Justification = 0;
  TextDeltaX = TextDeltaY = 0.0f;
  TextRotateX = TextRotateY = 0.0f;
  TextRotateSetOrigin = 0;
}

void InitRotatedText(int32_t angle, int32_t justification) {
  TextAngle = angle;
  Justification = justification;
  TextDeltaX = 0.0f;
  TextDeltaY = 0.0f;
  FirstTime = 1;
  InRotatedText = 1;
  TextRotateSetOrigin = 1;
}

void InitRotatedTextOffset(double dx, double dy) {
  TextDeltaX = static_cast<float>(dx);
  TextDeltaY = static_cast<float>(dy);
}

void EndRotatedText() {
  endRotatedTextLine();
  InRotatedText = 0;
  TextAngle = 0;
}

// The run is placed by its distance from the centre along the line (d, by
// the justification) and across it (dy), turned by the angle: the terms in
// double precision from single-precision values, the result in single.
void dumprotatedtext(float ox, float oy, const unsigned char *text) {
  if (TextRotateSetOrigin) {
    TextRotateX = ox + TextDeltaX;
    TextRotateY = oy + TextDeltaY;
    TextRotateSetOrigin = 0;
  }
  float dy = oy - TextRotateY;
  float d = ox - TextRotateX;
  const char *alignment = "Left";
  if (Justification == kJustifyCenter) {
    alignment = "Center";
    d = 0.0f;
  } else if (Justification == kJustifyRight) {
    alignment = "Right";
    d = -(ox - TextRotateX);
  }
  V_Printf(outputFP, "\t<TLAlignment %s>\n", alignment);
  V_Printf(outputFP, "\t<Angle %d>\n", TextAngle);
  float r = static_cast<float>(
      static_cast<double>(static_cast<float>(TextAngle) / 180.0f) * M_PI);
  double cosR = std::cos(static_cast<double>(r));
  double sinR = std::sin(static_cast<double>(r));
  float x = static_cast<float>(static_cast<double>(TextRotateX) +
                               static_cast<double>(d) * cosR +
                               static_cast<double>(dy) * sinR);
  float y = static_cast<float>(static_cast<double>(TextRotateY) -
                               static_cast<double>(d) * sinR +
                               static_cast<double>(dy) * cosR);
  V_Printf(outputFP, "\t<TLOrigin %.3f %.3f>\n", static_cast<double>(x),
           static_cast<double>(y));
  DumpFontState(0);
  V_Printf(outputFP, "\t<String `");
  WriteSubstring(text);
  FirstTime = 0;
  endRotatedTextLine();
}
