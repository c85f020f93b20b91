// The main window's messages for a refused recognition start, shared by its evaluation commands.
#pragma once

namespace motifora {

class TMainForm;

// Shows the message box for start code 7 (no control sequences), 8 (no ideal objects) or 2 (no
// worker started). Returns true for these codes, false (nothing shown) for any other.
bool reportRecognitionCode(TMainForm& form, int code);

}  // namespace motifora
