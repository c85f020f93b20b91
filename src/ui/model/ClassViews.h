// The class views of the ideal-object grid's pop-up menu, on a workspace.
#pragma once

#include <cstdint>

namespace motifora {

class TMainForm;
class TMainManager;

// Each writes its rows into the class list of `form` and returns 1 when there are no ideal
// objects (nothing is done), else -1. `k` must name an existing class; the window checks that, and
// that no worker uses the classificator, before it calls them.

// Kind 0 the recognition matrix, 1 the prediction matrix of class k, cell by cell through
// ShowMatrixValue (positions outer, letters inner).
int showMatrix(TMainManager& m, int32_t kind, int32_t k, TMainForm& form);
// The regularities applicable to class k with their status, through ShowRuleRow.
int showClassRules(TMainManager& m, int32_t k, TMainForm& form);
// The learning positive objects of class k, through ShowClassObject.
int showClassObjects(TMainManager& m, int32_t k, TMainForm& form);

}  // namespace motifora
