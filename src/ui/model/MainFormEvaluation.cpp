// The "Classes" page's evaluation commands: recognition, error counting and bootstrap.
//
// Recognition, error counting and the bootstrap window are not built yet; these handlers keep
// their buttons inert (they stay disabled until a control sample is loaded) and are replaced
// when those processes are added.
#include "ui/model/TMainForm.h"

namespace motifora {

void TMainForm::btnStartRecognitionClick() {}

void TMainForm::btnCountRecErrorsClick() {}

void TMainForm::btnNextClassErrCountClick() {}

void TMainForm::btnStartBootstrapClick() {}

void TMainForm::ReCount2() {}

void TMainForm::FstReCount2() {}

}  // namespace motifora
