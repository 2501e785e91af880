// What every floor of one conversion shares: the options it runs with, the
// picture's version, the end-of-picture flag and the two channels.
#ifndef PICTTOTOV_BASE_CONVERSION_H
#define PICTTOTOV_BASE_CONVERSION_H

#include "runtime/vok.h"

// The command line's choices, as the run applies them.
struct Options {
  bool thinLines = false;      // -l: pens below 1.5 points at half width
  bool scaled = false;         // -s was given
  double scale = 1.0;          // its value, 0 < scale < 10000
  bool frameContents = false;  // -aframe: no file header, objects only
  // -full: also convert what the classic conversion leaves out (direct-colour
  // pixel maps, regions, the extended version 2 header's coordinate space).
  bool full = false;
};

// The options of the conversion in progress (all off between runs).
const Options &RunOptions();
void SetRunOptions(const Options &options);

extern int Version;        // picture version: 0 until read, then 1 or 2
extern int EndOfFile;      // set by the end-of-picture opcode
extern Channel *inputFP;   // the picture
extern Channel *outputFP;  // the TOV document

// Back to the process-start state: no options, no version, no channels.
void ResetConversionBase();

#endif  // PICTTOTOV_BASE_CONVERSION_H
