#include "ui/MainForm.h"

namespace vx::ui {

TVXMainForm::TVXMainForm()
    : Form({L"VXMainForm", 764, 500, FormBorder::SingleWithMinimize, FormPosition::ScreenCenter}) {}

} // namespace vx::ui
