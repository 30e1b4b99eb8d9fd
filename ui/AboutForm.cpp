#include "ui/AboutForm.h"

namespace vx::ui {

TVXAboutForm::TVXAboutForm()
    : Form({L"VXAboutForm", 700, 441, FormBorder::SingleCloseOnly, FormPosition::OwnerFormCenter}) {}

} // namespace vx::ui
