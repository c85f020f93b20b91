// Application-wide set-up shared by the workbench and the screenshot tour.
#pragma once

class QApplication;

namespace motifora {

// Sets the application's title ("Motiforas") and makes sure its font has Cyrillic glyphs
// (the system font when it has them, else the first sans-serif font that does).
void setUpApplication(QApplication& app);

}  // namespace motifora
