// The main window's messages for a refused recognition start, shared by its evaluation commands.
#pragma once

#include "workspace/TMainManager.h"

namespace motifora {

class TMainForm;

// Shows the message box of a refused start: no control sequences, no ideal objects or no worker
// started. Returns true for these, false (nothing shown) for a start or a chart shown again.
bool reportRecognitionCode(TMainForm& form, RecognitionStart code);

}  // namespace motifora
