// The text-line writers shared by the plain and the rotated text, private
// to the text subsystem.
#ifndef PICTTOTOV_TEXT_LINES_H
#define PICTTOTOV_TEXT_LINES_H

// The characters of a NUL-terminated run of picture character codes, each
// in the family the font mapping gives it, inside an open String statement.
void WriteSubstring(const unsigned char *text);
// A Font statement holding what changed since the last one; inString 1:
// inside a String statement, which is closed before and reopened after it.
void DumpFontState(int inString);

// Writes a text line of a rotated-text bracket from its unrotated origin
// (ox, oy), in points; the line's opening and GroupID are already written.
void dumprotatedtext(float ox, float oy, const unsigned char *text);
// Forgets any rotated-text bracket; called at the start of a run.
void ResetRotatedText();
// The whole rotated-text state back to its process-start values.
void ResetRotatedTextState();

#endif  // PICTTOTOV_TEXT_LINES_H
