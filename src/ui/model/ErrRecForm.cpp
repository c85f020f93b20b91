// The "Error Recognition Properties" window's modal showing.
#include "ui/model/ErrRecForm.h"

namespace motifora {

void TErrRecForm::ShowModal() {
    Window.setVisible(true);
    if (modalLoop) modalLoop(*this);
    Window.setVisible(false);
}

}  // namespace motifora
