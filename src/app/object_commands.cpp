// TEMPORARY until the object file code lands.
#include "app/draw_window.h"
void TDrawWindow::SaveObject() {}
void TDrawWindow::OpenObject() {}
void TDrawWindow::ExportRaw() {}
