// Right-to-left reading and layout: the bidirectional modes a control or menu can ask for and
// the one system question they all depend on, whether the locale reads right to left. A mode
// other than left-to-right does nothing on a system whose locale reads left to right.
#pragma once

namespace forms {

enum class TBiDiMode {
  bdLeftToRight,
  bdRightToLeft,             // text read, aligned and laid out from the right
  bdRightToLeftNoAlign,      // read from the right, scroll bar on the left, alignment kept
  bdRightToLeftReadingOnly,  // read from the right only
};

// True when the system's locale reads right to left (Arabic, Hebrew, Farsi, Urdu). Asks the
// system unless a test has put its own answer in place.
bool SysLocaleMiddleEast();
// Replaces the question with `query`; nil asks the system again.
using TMiddleEastQuery = bool (*)();
void SetSysLocaleMiddleEastQuery(TMiddleEastQuery query);

// What a mode means on this system.
bool UseRightToLeftAlignment(TBiDiMode mode);  // bdRightToLeft only
bool UseRightToLeftReading(TBiDiMode mode);    // any mode but bdLeftToRight
bool UseRightToLeftScrollBar(TBiDiMode mode);  // bdRightToLeft and bdRightToLeftNoAlign

}  // namespace forms
