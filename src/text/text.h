// Text state and text lines.
#ifndef PICTTOTOV_TEXT_TEXT_H
#define PICTTOTOV_TEXT_TEXT_H

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

#endif  // PICTTOTOV_TEXT_TEXT_H
