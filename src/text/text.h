// Text state, text lines, rotated text and the font mapping.
#ifndef PICTTOTOV_TEXT_TEXT_H
#define PICTTOTOV_TEXT_TEXT_H

#include <cstdint>

// Set while the picture's text is rotated (between a text-begin and a
// text-end comment); images drawn meanwhile are not written. A read-only
// view of the rotated-text state.
extern const int &InRotatedText;

// The family "Times" and no Font statement written yet; called by the run
// at the start of each conversion.
void InitTextFontState();
// Starts the text state of a run.
void Inittextops();

void op_TxFont();
void op_TxFace();
void op_TxSize();
void op_LongText();
void op_DHText();
void op_DVText();
void op_DHDVText();

// Rotated text, switched by picture comments.
void InitRotatedText(int32_t angle, int32_t justification);
void InitRotatedTextOffset(double dx, double dy);
void EndRotatedText();

// Back to the process-start state, for a process that converts more than
// one picture. The font table stays: the configuration is the same.
void ResetText();

#endif  // PICTTOTOV_TEXT_TEXT_H
