// Text state, text lines, rotated text and the font mapping.
#ifndef PICTTOTOV_TEXT_TEXT_H
#define PICTTOTOV_TEXT_TEXT_H

#include <cstdint>

// Set while the picture's text is rotated (between a text-begin and a
// text-end comment); images drawn meanwhile are not written.
extern int InRotatedText;

// Resets the remembered font statement state and the family name; called
// once per process by Initstateops.
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

// Text lines, shared by the plain and the rotated writer. `text` is a
// NUL-terminated run of picture character codes.
void dumptext(int x, int y, const unsigned char *text);
void WriteString(const unsigned char *text);
void WriteSubstring(const unsigned char *text);
void DumpFontState(int inString);
void DumpTextState();
// Writes a text line of a rotated-text bracket from its unrotated origin
// (ox, oy), in points; the line's opening and GroupID are already written.
void dumprotatedtext(float ox, float oy, const unsigned char *text);
// Forgets any rotated-text bracket; called at the start of a run.
void ResetRotatedText();

// Back to the process-start state, for a process that converts more than
// one picture. The font table stays: the configuration is the same.
void ResetTextState();
void ResetRotatedTextState();

// The font mapping: the family (into `name`, a 64-byte buffer, left as it
// was when the font has none) and the code to write for character `code` of
// picture font `font`. Code 0 asks for the family only; *codeOut is then not
// written. The configuration file is read on the first call.
void GetFontandCode(uint16_t font, unsigned char code, char *name,
                    unsigned char *codeOut);

#endif  // PICTTOTOV_TEXT_TEXT_H
